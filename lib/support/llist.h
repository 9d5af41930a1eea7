// The llist module: a doubly linked list of data pointers with a sentinel at
// each end, usable as a stack at either end or as a queue, and counters that
// walk it by position.
//
// Positions: elements are 0 .. count-1 from the front; the front sentinel is
// at -1 and the back sentinel at count. MakeCounter and InitCounter read -2 as
// count (just behind the last element).
//
// The list owns its nodes, never the data: no operation releases or copies a
// data pointer. Null data would end a walk early, so it is never stored.
#pragma once

namespace col {

template <class T>
struct LListNode {
  T* data = nullptr;            // null in the sentinels
  LListNode* before = nullptr;  // towards the front; null in the front sentinel
  LListNode* after = nullptr;   // towards the back; null in the back sentinel
};

template <class T>
struct LList {
  int count = 0;
  LListNode<T> front;
  LListNode<T> back;
};

template <class T>
struct Counter {
  int pos = -1;
  LListNode<T>* node = nullptr;
};

template <class T>
LList<T>* MakeLList() {
  auto* list = new LList<T>;
  list->front.after = &list->back;
  list->back.before = &list->front;
  return list;
}

template <class T>
void DestroyLList(LList<T>* list) {
  if (!list) return;
  LListNode<T>* node = list->front.after;
  while (node != &list->back) {
    LListNode<T>* next = node->after;
    delete node;
    node = next;
  }
  delete list;
}

// Links a new node holding `data` directly behind `node` (front sentinel or an
// element, never the back sentinel).
template <class T>
void Insert(LList<T>* list, LListNode<T>* node, T* data) {
  auto* fresh = new LListNode<T>{data, node, node->after};
  node->after->before = fresh;
  node->after = fresh;
  ++list->count;
}

// Unlinks and releases `node` (an element, never a sentinel); returns its data.
template <class T>
T* Remove(LList<T>* list, LListNode<T>* node) {
  T* data = node->data;
  node->before->after = node->after;
  node->after->before = node->before;
  delete node;
  --list->count;
  return data;
}

template <class T>
void Push(LList<T>* list, T* data) {
  Insert(list, &list->front, data);
}

template <class T>
T* Pop(LList<T>* list) {
  return list->count == 0 ? nullptr : Remove(list, list->front.after);
}

template <class T>
void Enqueue(LList<T>* list, T* data) {
  Insert(list, list->back.before, data);
}

// Removes the most recently enqueued element (the back one), not the oldest.
template <class T>
T* Dequeue(LList<T>* list) {
  return list->count == 0 ? nullptr : Remove(list, list->back.before);
}

template <class T, class Arg>
void LListMap(LList<T>* list, void (*fn)(T*, Arg), Arg arg) {
  for (LListNode<T>* n = list->front.after; n != &list->back; n = n->after) fn(n->data, arg);
}

// Moves the counter towards position p; stops on a sentinel.
template <class T>
T* SetCounter(Counter<T>* c, int p) {
  while (c->pos < p && c->node->after) {
    c->node = c->node->after;
    ++c->pos;
  }
  while (c->pos > p && c->node->before) {
    c->node = c->node->before;
    --c->pos;
  }
  return c->node->data;
}

template <class T>
T* InitCounter(Counter<T>* c, LList<T>* list, int p) {
  if (p == -2) p = list->count;
  if (p < list->count - p - 1) {
    c->pos = 0;
    c->node = list->front.after;
  } else {
    c->pos = list->count - 1;
    c->node = list->back.before;
  }
  return SetCounter(c, p);
}

template <class T>
Counter<T>* MakeCounter(LList<T>* list, int p) {
  auto* c = new Counter<T>;
  InitCounter(c, list, p);
  return c;
}

template <class T>
T* Next(Counter<T>* c) {
  return SetCounter(c, c->pos + 1);
}

template <class T>
T* Prev(Counter<T>* c) {
  return SetCounter(c, c->pos - 1);
}

}  // namespace col
