// The static object list: the four commands, the node class, and loads that fail.
#include "readcon/ReadCon.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>

#include <charconv>
#include <filesystem>
#include <string>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

using namespace quarnel;
using testutil::MessageOf;

namespace {

// A node that counts how many of its kind are alive, to see what a failed load frees.
struct TCountedNode : TStaticObjectNode {
  TCountedNode() { ++Live; }
  ~TCountedNode() override { --Live; }
  static inline int Live = 0;
};

// " p=x,y,z" for a vector that differs from its value in a new node, else nothing.
std::string VectorText(const char* label, const TVector3& v, double initial) {
  if (v.X == initial && v.Y == initial && v.Z == initial)
    return "";
  std::string out = label;
  char buffer[32];
  const double values[] = {v.X, v.Y, v.Z};
  for (int i = 0; i < 3; ++i)
    out.append(i ? "," : "").append(buffer, std::to_chars(buffer, buffer + 32, values[i]).ptr);
  return out;
}

// The list as "Name p=position r=rotation s=scale; Name ...", each vector only when it
// differs from a new node's; "broken links" when Head, Tail, Count and the links disagree.
std::string Describe(const TStaticObjectLL& list) {
  std::string out;
  const TLinkedListNode* prev = nullptr;
  int32_t count = 0;
  for (const TLinkedListNode* n = list.Head; n != nullptr; prev = n, n = n->Next, ++count) {
    if (n->Prev != prev)
      return "broken links";
    const auto& o = static_cast<const TStaticObjectNode&>(*n);
    out += (prev ? "; " : "") + o.Name + VectorText(" p=", o.Position, 0) +
           VectorText(" r=", o.Rotation, 0) + VectorText(" s=", o.Scale, 1);
  }
  return prev == list.Tail && count == list.Count ? out : "broken links";
}

// Loads content written to a temporary file into list.
void Load(TStaticObjectLL& list, const std::string& content,
          TStaticObjectNodeClass nodeClass = CreateNodeOf<TStaticObjectNode>) {
  testutil::TempDir dir;
  testutil::WriteFile(dir / "objects.con", content);
  list.LoadFromFile((dir / "objects.con").string(), nodeClass);
}

struct LoadCase {
  std::string What, Content, Objects;
};

TEST(ObjectList, HoldsTheObjectsOfTheFileAsDesigned) {
  const std::string longName = "N" + std::string(299, 'x');
  const std::vector<LoadCase> cases = {
      {"the seven-line example",
       "rem static objects\r\nObject.create ObjA\r\nObject.absolutePosition 100.5/20/-300\r\n"
       "Object.rotation 90 / 0 / 0\r\nObject.create ObjB\r\nObject.geometry.scale 2/2/0.5\r\n",
       "ObjA p=100.5,20,-300 r=90,0,0; ObjB s=2,2,0.5"},
      {"an empty file holds no object", "", ""},
      {"a file of comments holds no object", "rem nothing\n", ""},
      {"a property command before any object is passed over",
       "object.absoluteposition 1/2/3 object.geometry.scale 4/5/6\nobject.create A\n\x1A", "A"},
      {"a lone object is appended at the end of the file", "object.create Lone", "Lone"},
      {"commands are recognised in any letter case",
       "OBJECT.CREATE A\nObject.Create B\nOBJECT.ABSOLUTEPOSITION 1/2/3\n", "A; B p=1,2,3"},
      {"near misses are no commands",
       "object.create A\nobject.position 1/2/3\nobject.createx B\nobject.rotations 4/5/6\n", "A"},
      {"several commands share one line",
       "x object.create A object.absoluteposition 1/2/3 object.rotation 4 / 5 / 6 "
       "object.geometry.scale 7/8/9 object.create B object.rotation 1/1/1",
       "A p=1,2,3 r=4,5,6 s=7,8,9; B r=1,1,1"},
      {"the last of a repeated command counts",
       "object.create A\nobject.absoluteposition 1/2/3\nobject.absoluteposition -4/-5/-6.e-1\n",
       "A p=-4,-5,-0.6"},
      {"what follows the third number is passed over",
       "object.create A\nobject.rotation 1/2/3/4 / more words\n", "A r=1,2,3"},
      {"a command after rem has no effect", "object.create A rem object.absoluteposition 1/2/3\n",
       "A"},
      {"equal names are separate objects", "object.create A\nobject.create A\n", "A; A"},
      {"a byte-order mark and odd characters are harmless",
       "\xEF\xBB\xBFobject.create A\n\"x\", (y); object.geometry.scale 2/3/4\n", "A s=2,3,4"},
      {"a name keeps its first 255 characters", "object.create " + longName + "\n",
       longName.substr(0, 255)},
  };
  for (const auto& c : cases) {
    TStaticObjectLL list;
    Load(list, c.Content);
    EXPECT_EQ(Describe(list), c.Objects) << c.What;
  }
}

TEST(ObjectList, CreatesEveryNodeThroughTheNodeClassAndAppendsToWhatItHolds) {
  TCountedNode::Live = 0;
  {
    TStaticObjectLL list;
    Load(list, "object.create A\nobject.create B\n", CreateNodeOf<TCountedNode>);
    Load(list, "object.create C\n", CreateNodeOf<TCountedNode>);
    EXPECT_EQ(Describe(list), "A; B; C");
    for (const TLinkedListNode* n = list.Head; n != nullptr; n = n->Next)
      EXPECT_NE(dynamic_cast<const TCountedNode*>(n), nullptr);
    EXPECT_EQ(TCountedNode::Live, 3);
  }
  EXPECT_EQ(TCountedNode::Live, 0);
}

TEST(ObjectList, ReadsAFileOfManyBlocksInOrder) {
  std::string content, expected;
  for (int i = 0; i < 5000; ++i) {
    const std::string n = std::to_string(i), minus = std::to_string(-i);
    content +=
        "Object.create O" + n + "\r\n Object.absolutePosition " + n + ".25/" + minus + "/0.5\r\n";
    expected += (i ? "; O" : "O") + n + " p=" + n + ".25," + minus + ",0.5";
  }
  ASSERT_GT(content.size(), 3 * TStaticObjectLL::ReadBlockSize);
  TStaticObjectLL list;
  Load(list, content);
  EXPECT_EQ(Describe(list), expected);
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
  std::string Kept;
  bool Conversion = false;
};

TEST(ObjectList, StopsAtAnErrorKeepingTheObjectsAppendedBeforeItAndFreeingTheRest) {
  const std::string identifier = "Con file parser error: Identifier expected";
  const std::string number = "Con file parser error: Number expected";
  const std::string slash = "Con file parser error: Forward slash expected";
  const std::string both = "First; Second", first = "First";
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
    const auto load = [&] {
      Load(list, "object.create First\nobject.create Second\n" + c.Content,
           CreateNodeOf<TCountedNode>);
    };
    EXPECT_EQ(c.Conversion ? MessageOf<EConvertError>(load) : MessageOf<Exception>(load),
              c.Message);
    EXPECT_EQ(Describe(list), c.Kept);
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
    EXPECT_EQ(MessageOf<EInOutError>(
                  [&] { list.LoadFromFile(path.string(), CreateNodeOf<TStaticObjectNode>); }),
              message);
    EXPECT_EQ(Describe(list), "");
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
  EXPECT_EQ(Describe(list), "A p=1,2,3");
}
#endif

} // namespace
