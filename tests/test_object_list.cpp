// The static object list: the four commands, the node class, and loads that fail.
#include "readcon/ReadCon.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

using namespace quarnel;

namespace {

// A node that counts how many of its kind are alive, to see what a failed load frees.
struct TCountedNode : TStaticObjectNode {
  TCountedNode() { ++Live; }
  ~TCountedNode() override { --Live; }
  static inline int Live = 0;
};

std::vector<const TStaticObjectNode*> Nodes(const TStaticObjectLL& list) {
  std::vector<const TStaticObjectNode*> nodes;
  for (const TLinkedListNode* n = list.Head; n != nullptr; n = n->Next)
    nodes.push_back(static_cast<const TStaticObjectNode*>(n));
  return nodes;
}

std::vector<std::string> Names(const TStaticObjectLL& list) {
  std::vector<std::string> names;
  for (const auto* node : Nodes(list))
    names.push_back(node->Name);
  return names;
}

void ExpectVector(const TVector3& v, double x, double y, double z) {
  EXPECT_EQ(v.X, x);
  EXPECT_EQ(v.Y, y);
  EXPECT_EQ(v.Z, z);
}

// Loads content written to a temporary file into list.
void Load(TStaticObjectLL& list, const std::string& content,
          TStaticObjectNodeClass nodeClass = CreateNodeOf<TStaticObjectNode>) {
  testutil::TempDir dir;
  testutil::WriteFile(dir / "objects.con", content);
  list.LoadFromFile((dir / "objects.con").string(), nodeClass);
}

TEST(ObjectList, ReadsTheSevenLineExample) {
  TStaticObjectLL list;
  Load(list, "rem static objects\r\n"
             "Object.create ObjA\r\n"
             "Object.absolutePosition 100.5/20/-300\r\n"
             "Object.rotation 90 / 0 / 0\r\n"
             "Object.create ObjB\r\n"
             "Object.geometry.scale 2/2/0.5\r\n");
  ASSERT_EQ(list.Count, 2);
  const auto nodes = Nodes(list);
  EXPECT_EQ(list.Head, nodes[0]);
  EXPECT_EQ(list.Tail, nodes[1]);
  EXPECT_EQ(nodes[1]->Prev, nodes[0]);
  EXPECT_EQ(nodes[0]->Name, "ObjA");
  ExpectVector(nodes[0]->Position, 100.5, 20, -300);
  ExpectVector(nodes[0]->Rotation, 90, 0, 0);
  ExpectVector(nodes[0]->Scale, 1, 1, 1);
  EXPECT_EQ(nodes[1]->Name, "ObjB");
  ExpectVector(nodes[1]->Position, 0, 0, 0);
  ExpectVector(nodes[1]->Rotation, 0, 0, 0);
  ExpectVector(nodes[1]->Scale, 2, 2, 0.5);
}

TEST(ObjectList, IsEmptyForAFileWithoutObjects) {
  for (const char* content : {"", "rem nothing\n", "object.absoluteposition 1/2/3\n\x1A"}) {
    TStaticObjectLL list;
    Load(list, content);
    EXPECT_EQ(list.Count, 0) << content;
    EXPECT_EQ(list.Head, nullptr);
    EXPECT_EQ(list.Tail, nullptr);
  }
}

TEST(ObjectList, AppendsALoneObjectAtTheEndOfTheFile) {
  TStaticObjectLL list;
  Load(list, "object.create Lone");
  ASSERT_EQ(list.Count, 1);
  EXPECT_EQ(list.Head, list.Tail);
  EXPECT_EQ(list.Head->Prev, nullptr);
  EXPECT_EQ(list.Head->Next, nullptr);
  EXPECT_EQ(Names(list), std::vector<std::string>{"Lone"});
}

struct PlacementCase {
  std::string What;
  std::string Content;
  std::vector<std::string> Names;
  TVector3 Position, Rotation, Scale; // of the last node
};

TEST(ObjectList, AppliesTheCommandsAsDesigned) {
  const std::vector<PlacementCase> cases = {
      {"commands in any letter case",
       "OBJECT.CREATE A\nObject.Create B\nOBJECT.ABSOLUTEPOSITION 1/2/3\n",
       {"A", "B"},
       {1, 2, 3},
       {},
       {1, 1, 1}},
      {"near misses are no commands",
       "object.create A\nobject.position 1/2/3\nobject.createx B\nobject.rotations 4/5/6\n",
       {"A"},
       {},
       {},
       {1, 1, 1}},
      {"a property command before any object is passed over",
       "object.absoluteposition 1/2/3 object.geometry.scale 4/5/6\nobject.create A\n",
       {"A"},
       {},
       {},
       {1, 1, 1}},
      {"several commands on one line",
       "x object.create A object.absoluteposition 1/2/3 object.rotation 4 / 5 / 6 "
       "object.geometry.scale 7/8/9 object.create B object.rotation 1/1/1",
       {"A", "B"},
       {},
       {1, 1, 1},
       {1, 1, 1}},
      {"the last of a repeated command counts",
       "object.create A\nobject.absoluteposition 1/2/3\nobject.absoluteposition -4/-5/-6.e-1\n",
       {"A"},
       {-4, -5, -0.6},
       {},
       {1, 1, 1}},
      {"what follows the third number is passed over",
       "object.create A\nobject.rotation 1/2/3/4 / more words\n",
       {"A"},
       {},
       {1, 2, 3},
       {1, 1, 1}},
      {"a command after rem has no effect",
       "object.create A rem object.absoluteposition 1/2/3\n",
       {"A"},
       {},
       {},
       {1, 1, 1}},
      {"equal names are separate objects",
       "object.create A\nobject.create A\n",
       {"A", "A"},
       {},
       {},
       {1, 1, 1}},
      {"a byte-order mark and odd characters are harmless",
       "\xEF\xBB\xBFobject.create A\n\"x\", (y); object.geometry.scale 2/3/4\n",
       {"A"},
       {},
       {},
       {2, 3, 4}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    TStaticObjectLL list;
    Load(list, c.Content);
    EXPECT_EQ(Names(list), c.Names);
    if (list.Tail == nullptr)
      continue;
    const auto* last = static_cast<const TStaticObjectNode*>(list.Tail);
    ExpectVector(last->Position, c.Position.X, c.Position.Y, c.Position.Z);
    ExpectVector(last->Rotation, c.Rotation.X, c.Rotation.Y, c.Rotation.Z);
    ExpectVector(last->Scale, c.Scale.X, c.Scale.Y, c.Scale.Z);
  }
}

TEST(ObjectList, KeepsTheFirst255CharactersOfAName) {
  const std::string name = "N" + std::string(299, 'x');
  TStaticObjectLL list;
  Load(list, "object.create " + name + "\n");
  EXPECT_EQ(Names(list), std::vector<std::string>{name.substr(0, 255)});
}

TEST(ObjectList, CreatesEveryNodeThroughTheNodeClassAndAppendsToWhatItHolds) {
  TCountedNode::Live = 0;
  {
    TStaticObjectLL list;
    Load(list, "object.create A\nobject.create B\n", CreateNodeOf<TCountedNode>);
    Load(list, "object.create C\n", CreateNodeOf<TCountedNode>);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"A", "B", "C"}));
    for (const auto* node : Nodes(list))
      EXPECT_NE(dynamic_cast<const TCountedNode*>(node), nullptr);
    EXPECT_EQ(TCountedNode::Live, 3);
  }
  EXPECT_EQ(TCountedNode::Live, 0);
}

TEST(ObjectList, ReadsAFileOfManyBlocksInOrder) {
  std::string content;
  const int count = 5000;
  for (int i = 0; i < count; ++i)
    content += "Object.create O" + std::to_string(i) + "\r\n Object.absolutePosition " +
               std::to_string(i) + ".25/" + std::to_string(-i) + "/0.5\r\n";
  ASSERT_GT(content.size(), 3 * TStaticObjectLL::ReadBlockSize);
  TStaticObjectLL list;
  Load(list, content);
  ASSERT_EQ(list.Count, count);
  int i = 0;
  for (const auto* node : Nodes(list)) {
    ASSERT_EQ(node->Name, std::string("O").append(std::to_string(i)));
    ExpectVector(node->Position, i + 0.25, -i, 0.5);
    ++i;
  }
}

#ifdef __linux__
int OpenDescriptors() {
  int count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
    ++count;
  return count;
}
#endif

struct FailureCase {
  std::string Content; // after two objects, First and Second
  std::string Message;
  std::vector<std::string> Kept;
  bool Conversion = false;
};

TEST(ObjectList, StopsAtAnErrorKeepingTheObjectsAppendedBeforeItAndFreeingTheRest) {
  const std::string identifier = "Con file parser error: Identifier expected";
  const std::string number = "Con file parser error: Number expected";
  const std::string slash = "Con file parser error: Forward slash expected";
  const std::vector<std::string> both = {"First", "Second"};
  const std::vector<std::string> first = {"First"};
  const std::vector<FailureCase> cases = {
      {"object.create\nobject.create C\n", identifier, both},
      {"object.create 12", identifier, both},
      {"object.create rem C", identifier, both},
      {"object.create /C", identifier, both},
      {"object.create ,C", identifier, both},
      {"object.create", identifier, both},
      {"object.absoluteposition 1/2\n/3", slash, first},
      {"object.absoluteposition 1,2,3", slash, first},
      {"object.rotation 1 2 3", slash, first},
      {"object.absoluteposition\n1/2/3", number, first},
      {"object.geometry.scale 1/2/", number, first},
      {"object.geometry.scale 1/x/3", number, first},
      {"object.rotation rem 1/2/3", number, first},
      {"object.absoluteposition 1/2/1" + std::string(309, '0'),
       "'1" + std::string(309, '0') + "' is not a valid floating point value", first, true},
      {"object.create C\nthen - here", "'-' is not a valid floating point value", both, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Content);
#ifdef __linux__
    const int descriptors = OpenDescriptors();
#endif
    TCountedNode::Live = 0;
    TStaticObjectLL list;
    try {
      Load(list, "object.create First\nobject.create Second\n" + c.Content,
           CreateNodeOf<TCountedNode>);
      ADD_FAILURE() << "no error";
    } catch (const EConvertError& e) {
      EXPECT_TRUE(c.Conversion);
      EXPECT_EQ(e.what(), c.Message);
    } catch (const Exception& e) {
      EXPECT_FALSE(c.Conversion);
      EXPECT_EQ(e.what(), c.Message);
    }
    EXPECT_EQ(Names(list), c.Kept);
    EXPECT_EQ(TCountedNode::Live, list.Count) << "the object under construction is freed";
#ifdef __linux__
    EXPECT_EQ(OpenDescriptors(), descriptors) << "the file is closed";
#endif
  }
}

TEST(ObjectList, ReportsAFileThatCannotBeOpenedWithTheTextFileMessage) {
  testutil::TempDir dir;
  testutil::WriteFile(dir / "plain.con", "object.create A\n");
  const std::vector<std::pair<std::filesystem::path, std::string>> cases = {
      {dir / "missing.con", "File not found"},
      {dir.Path, "File access denied"},
      {dir / "plain.con" / "inside.con", "Invalid filename"},
  };
  for (const auto& [path, message] : cases) {
    TStaticObjectLL list;
    try {
      list.LoadFromFile(path.string(), CreateNodeOf<TStaticObjectNode>);
      ADD_FAILURE() << "no error for " << path;
    } catch (const EInOutError& e) {
      EXPECT_EQ(e.what(), message) << path;
    }
    EXPECT_EQ(list.Count, 0);
  }
}

#ifdef __linux__
TEST(ObjectList, ReadsFromAPipe) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  const std::string content = "object.create A\r\nobject.absoluteposition 1/2/3\r\n";
  ASSERT_EQ(write(fds[1], content.data(), content.size()), ssize_t(content.size()));
  close(fds[1]);
  TStaticObjectLL list;
  list.LoadFromFile("/dev/fd/" + std::to_string(fds[0]), CreateNodeOf<TStaticObjectNode>);
  close(fds[0]);
  ASSERT_EQ(Names(list), std::vector<std::string>{"A"});
  ExpectVector(static_cast<const TStaticObjectNode*>(list.Head)->Position, 1, 2, 3);
}
#endif

} // namespace
