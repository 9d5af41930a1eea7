#include "llist.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace col;

namespace {

using List = LList<std::string>;

std::vector<std::string> FrontToBack(List* list) {
  std::vector<std::string> out;
  Counter<std::string>* c = MakeCounter(list, -1);
  while (std::string* s = Next(c)) out.push_back(*s);
  EXPECT_EQ(Next(c), nullptr);
  delete c;
  return out;
}

TEST(LList, StackAndQueueEnds) {
  std::string a = "a", b = "b", c = "c";
  List* list = MakeLList<std::string>();
  EXPECT_EQ(Pop(list), nullptr);
  EXPECT_EQ(Dequeue(list), nullptr);
  EXPECT_EQ(list->count, 0);

  for (auto* s : {&a, &b, &c}) Enqueue(list, s);
  EXPECT_EQ(FrontToBack(list), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(*Pop(list), "a");
  EXPECT_EQ(*Dequeue(list), "c");
  EXPECT_EQ(*Pop(list), "b");
  EXPECT_EQ(list->count, 0);

  for (auto* s : {&a, &b, &c}) Push(list, s);
  EXPECT_EQ(FrontToBack(list), (std::vector<std::string>{"c", "b", "a"}));
  EXPECT_EQ(*Dequeue(list), "a");
  DestroyLList(list);
  EXPECT_EQ(a, "a") << "data outlive their list";
}

TEST(LList, CountersClampToSentinels) {
  std::string a = "a", b = "b", c = "c";
  List* list = MakeLList<std::string>();
  for (auto* s : {&a, &b, &c}) Enqueue(list, s);

  Counter<std::string>* k = MakeCounter(list, 1);
  EXPECT_EQ(*k->node->data, "b");
  EXPECT_EQ(*Next(k), "c");
  EXPECT_EQ(Next(k), nullptr);
  EXPECT_EQ(*Prev(k), "c");

  EXPECT_EQ(SetCounter(k, 10), nullptr);
  EXPECT_EQ(k->pos, 3);
  EXPECT_EQ(SetCounter(k, -7), nullptr);
  EXPECT_EQ(k->pos, -1);
  EXPECT_EQ(SetCounter(k, -2), nullptr) << "only Make/InitCounter read -2 as count";
  EXPECT_EQ(k->pos, -1);

  EXPECT_EQ(InitCounter(k, list, -2), nullptr);
  EXPECT_EQ(k->pos, 3);
  EXPECT_EQ(*Prev(k), "c");
  delete k;

  List* empty = MakeLList<std::string>();
  Counter<std::string>* e = MakeCounter(empty, -1);
  EXPECT_EQ(Next(e), nullptr);
  EXPECT_EQ(e->pos, 0);
  delete e;
  DestroyLList(empty);

  std::vector<std::string> seen;
  LListMap<std::string, std::vector<std::string>*>(
      list, [](std::string* s, std::vector<std::string>* acc) { acc->push_back(*s); }, &seen);
  EXPECT_EQ(seen, (std::vector<std::string>{"a", "b", "c"}));

  Remove(list, list->front.after->after);
  EXPECT_EQ(FrontToBack(list), (std::vector<std::string>{"a", "c"}));
  DestroyLList(list);
}

}  // namespace
