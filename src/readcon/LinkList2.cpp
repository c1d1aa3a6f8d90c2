// The doubly linked list.
#include "readcon/LinkList2.h"

namespace quarnel {

TLinkedList::~TLinkedList() {
  if (Count != 0)
    Clear();
}

void TLinkedList::Add(std::unique_ptr<TLinkedListNode> owned) {
  TLinkedListNode* node = owned.release();
  node->Next = nullptr;
  node->Prev = Tail;
  if (Tail != nullptr)
    Tail->Next = node;
  Tail = node;
  if (Head == nullptr)
    Head = node;
  ++Count;
}

void TLinkedList::Clear() {
  // Iterative, so that a list of millions of nodes cannot exhaust the stack.
  TLinkedListNode* node = Head;
  while (node != nullptr) {
    TLinkedListNode* next = node->Next;
    delete node;
    node = next;
  }
  Head = nullptr;
  Tail = nullptr;
  Count = 0;
}

} // namespace quarnel
