// The doubly linked list that keeps the static objects, in the order they were appended.
#pragma once

#include <cstdint>
#include <memory>

namespace quarnel {

class TLinkedListNode {
public:
  virtual ~TLinkedListNode() = default;
  TLinkedListNode* Prev = nullptr;
  TLinkedListNode* Next = nullptr;
};

// Owns its nodes: Clear and the destructor free them, each through its own destructor.
class TLinkedList {
public:
  TLinkedList() = default;
  virtual ~TLinkedList();
  TLinkedList(const TLinkedList&) = delete;
  TLinkedList& operator=(const TLinkedList&) = delete;

  // Appends node at the tail; the list takes ownership.
  void Add(std::unique_ptr<TLinkedListNode> node);
  void Clear();

  TLinkedListNode* Head = nullptr;
  TLinkedListNode* Tail = nullptr;
  int32_t Count = 0;
};

} // namespace quarnel
