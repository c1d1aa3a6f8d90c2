// The doubly linked list: appending, walking both ways, and freeing its nodes.
#include "readcon/LinkList2.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace quarnel;

namespace {

// A node that counts how many of its kind are alive, to see that the list frees them.
struct TCountedNode : TLinkedListNode {
  explicit TCountedNode(std::string name) : Name(std::move(name)) { ++Live; }
  ~TCountedNode() override { --Live; }
  std::string Name;
  static inline int Live = 0;
};

void AddNamed(TLinkedList& list, const std::string& name) {
  list.Add(std::make_unique<TCountedNode>(name));
}

std::string NameOf(const TLinkedListNode* node) {
  return static_cast<const TCountedNode*>(node)->Name;
}

std::vector<std::string> Forward(const TLinkedList& list) {
  std::vector<std::string> names;
  for (const TLinkedListNode* n = list.Head; n != nullptr; n = n->Next)
    names.push_back(NameOf(n));
  return names;
}

std::vector<std::string> Backward(const TLinkedList& list) {
  std::vector<std::string> names;
  for (const TLinkedListNode* n = list.Tail; n != nullptr; n = n->Prev)
    names.push_back(NameOf(n));
  return names;
}

TEST(LinkedList, StartsEmpty) {
  TLinkedList list;
  EXPECT_EQ(list.Count, 0);
  EXPECT_EQ(list.Head, nullptr);
  EXPECT_EQ(list.Tail, nullptr);
}

TEST(LinkedList, ASingleNodeIsHeadAndTailWithoutNeighbours) {
  TLinkedList list;
  AddNamed(list, "A");
  EXPECT_EQ(list.Count, 1);
  ASSERT_NE(list.Head, nullptr);
  EXPECT_EQ(list.Head, list.Tail);
  EXPECT_EQ(list.Head->Prev, nullptr);
  EXPECT_EQ(list.Head->Next, nullptr);
}

TEST(LinkedList, WalksInAddingOrderFromHeadAndInReverseFromTail) {
  TLinkedList list;
  for (const char* name : {"A", "B", "C"})
    AddNamed(list, name);
  EXPECT_EQ(list.Count, 3);
  EXPECT_EQ(Forward(list), (std::vector<std::string>{"A", "B", "C"}));
  EXPECT_EQ(Backward(list), (std::vector<std::string>{"C", "B", "A"}));
}

TEST(LinkedList, ClearFreesEveryNodeAndLeavesAListThatTakesNewNodes) {
  TCountedNode::Live = 0;
  TLinkedList list;
  for (const char* name : {"A", "B", "C"})
    AddNamed(list, name);
  list.Clear();
  EXPECT_EQ(TCountedNode::Live, 0);
  EXPECT_EQ(list.Count, 0);
  EXPECT_EQ(list.Head, nullptr);
  EXPECT_EQ(list.Tail, nullptr);
  AddNamed(list, "D");
  EXPECT_EQ(Forward(list), std::vector<std::string>{"D"});
  EXPECT_EQ(list.Head->Prev, nullptr);
}

TEST(LinkedList, DestroyingTheListFreesItsNodes) {
  TCountedNode::Live = 0;
  {
    TLinkedList list;
    for (int i = 0; i < 1000; ++i)
      AddNamed(list, std::to_string(i));
    EXPECT_EQ(TCountedNode::Live, 1000);
  }
  EXPECT_EQ(TCountedNode::Live, 0);
}

} // namespace
