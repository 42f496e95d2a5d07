#include "foundation/list.h"

#include <gtest/gtest.h>

#include <vector>

#include "foundation/heap.h"

namespace {

using Words = std::vector<intptr_t>;

// Data words from the head, checking count, tail and every prev link.
Words contents(const List* list, bool doubly) {
    Words words;
    const ListNode* last = nullptr;
    for (const ListNode* n = list->head; n; last = n, n = n->next) {
        if (doubly && static_cast<const DListNode*>(n)->prev != last) ADD_FAILURE() << "prev link";
        words.push_back(word_int(n->data));
    }
    EXPECT_EQ(list->tail, last);
    EXPECT_EQ(list->count, words.size());
    return words;
}

Words seen;
int record(void* data) {
    seen.push_back(word_int(data));
    return 7;
}

// One body runs against both kinds of list through these adapters.
struct Kind {
    bool doubly;
    ListNode* (*append)(List*, void*);
    ListNode* (*insert)(List*, ListNode*, int, void*);
    int (*remove_head)(List*, ListDataFn);
    int (*remove_tail)(List*, ListDataFn);
    int (*remove)(List*, ListNode*, ListDataFn);
    int (*concat)(List*, List*, ListNode*);
};
const Kind kSingly{false,        slist_append, slist_insert, slist_remove_head, slist_remove_tail,
                   slist_remove, slist_concat};
const Kind kDoubly{
    true,
    [](List* l, void* d) -> ListNode* { return dlist_append(l, d); },
    [](List* l, ListNode* n, int p, void* d) -> ListNode* {
        return dlist_insert(l, static_cast<DListNode*>(n), p, d);
    },
    dlist_remove_head,
    dlist_remove_tail,
    [](List* l, ListNode* n, ListDataFn f) {
        return dlist_remove(l, static_cast<DListNode*>(n), f);
    },
    [](List* d, List* s, ListNode* b) { return dlist_concat(d, s, static_cast<DListNode*>(b)); }};

class BothLists : public testing::TestWithParam<const Kind*> {
protected:
    ~BothLists() override {
        while (list_->head) kind().remove_head(list_, nullptr);
        dlist_free(list_, LIST_FROM_HEAD, nullptr);
    }
    const Kind& kind() const { return *GetParam(); }
    // Empties the list, fills it with 1..n and returns the node of 2.
    ListNode* fill(List* list, int n) {
        while (list->head) kind().remove_head(list, nullptr);
        ListNode* second = nullptr;
        for (int i = 1; i <= n; ++i) {
            ListNode* node = kind().append(list, int_word(i));
            if (i == 2) second = node;
        }
        return second;
    }
    Words words() const { return contents(list_, kind().doubly); }
    List* list_ = list_new();
};

TEST_P(BothLists, RemovingTheOnlyNodeEmptiesTheListEveryWay) {
    for (int way = 0; way < 3; ++way) {
        ListNode* only = kind().append(list_, int_word(5));
        seen.clear();
        int result = way == 0   ? kind().remove_head(list_, record)
                     : way == 1 ? kind().remove_tail(list_, record)
                                : kind().remove(list_, only, record);
        EXPECT_EQ(result, 7);  // the callback's result on the removed word
        EXPECT_EQ(seen, Words{5});
        EXPECT_EQ(words(), Words{});
        EXPECT_EQ(list_->head, nullptr);
        EXPECT_EQ(kind().remove_head(list_, record), -1);
        EXPECT_EQ(kind().remove_tail(list_, record), -1);
        EXPECT_EQ(kind().remove(list_, only, record), -1);
        kind().insert(list_, nullptr, LIST_AFTER, int_word(6));
        EXPECT_EQ(words(), Words{6});
        kind().remove_head(list_, nullptr);
    }
}

TEST_P(BothLists, InsertAndRemoveInTheMiddle) {
    struct Case {
        int anchor;  // 0: none, 1: head, 2: second node, 3: tail
        int position;
        Words expected;
    } cases[] = {
        {1, LIST_BEFORE, {9, 1, 2, 3}}, {0, LIST_AFTER, {9, 1, 2, 3}},
        {0, LIST_BEFORE, {1, 2, 3, 9}}, {3, LIST_AFTER, {1, 2, 3, 9}},
        {2, LIST_BEFORE, {1, 9, 2, 3}}, {2, LIST_AFTER, {1, 2, 9, 3}},
        {2, 5, {1, 2, 9, 3}},  // any other position is after
    };
    for (const Case& c : cases) {
        ListNode* second = fill(list_, 3);
        ListNode* anchors[] = {nullptr, list_->head, second, list_->tail};
        ASSERT_NE(kind().insert(list_, anchors[c.anchor], c.position, int_word(9)), nullptr);
        EXPECT_EQ(words(), c.expected) << c.anchor << " " << c.position;
    }
    EXPECT_EQ(kind().remove(list_, fill(list_, 4), nullptr), 0);
    EXPECT_EQ(kind().remove_tail(list_, nullptr), 0);
    EXPECT_EQ(words(), (Words{1, 3}));
}

TEST_P(BothLists, ExhaustedMemoryLeavesTheListUnchanged) {
    fill(list_, 2);
    heap_fail_at(1);
    EXPECT_EQ(kind().append(list_, int_word(3)), nullptr);
    heap_fail_at(1);
    EXPECT_EQ(kind().insert(list_, list_->head, LIST_AFTER, int_word(3)), nullptr);
    EXPECT_EQ(words(), (Words{1, 2}));
    heap_fail_at(1);
    EXPECT_EQ(list_new(), nullptr);
}

TEST_P(BothLists, ConcatMovesEveryNodeAndEmptiesTheSource) {
    struct Case {
        int dest_size, src_size;
        bool before_second;
        Words expected;
    } cases[] = {
        {3, 0, false, {1, 2, 3}},
        {0, 2, false, {1, 2}},
        {3, 2, false, {1, 2, 3, 1, 2}},
        {3, 2, true, {1, 1, 2, 2, 3}},
    };
    List* src = list_new();
    for (const Case& c : cases) {
        ListNode* second = fill(list_, c.dest_size);
        fill(src, c.src_size);
        EXPECT_EQ(kind().concat(list_, src, c.before_second ? second : nullptr), 0);
        EXPECT_EQ(words(), c.expected);
        EXPECT_EQ(contents(src, kind().doubly), Words{});
    }
    dlist_free(src, LIST_FROM_HEAD, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Lists, BothLists, testing::Values(&kSingly, &kDoubly),
                         [](const auto& info) { return info.param->doubly ? "Doubly" : "Singly"; });

TEST(DList, FreeCallsTheCallbackInWalkOrder) {
    for (int direction : {LIST_FROM_HEAD, LIST_FROM_TAIL}) {
        List* list = list_new();
        for (int i = 1; i <= 3; ++i) dlist_append(list, int_word(i));
        seen.clear();
        dlist_free(list, direction, record);  // a non-zero result does not stop it
        EXPECT_EQ(seen, direction == LIST_FROM_HEAD ? (Words{1, 2, 3}) : (Words{3, 2, 1}));
    }
}

TEST(DList, ForeachStopsAtTheFirstNonZeroResultAndReverseKeepsTheLinks) {
    List* list = list_new();
    for (int i = 1; i <= 4; ++i) dlist_append(list, int_word(i));
    Words visited;
    auto stop_at_3 = [](List*, void* data, void* arg) {
        static_cast<Words*>(arg)->push_back(word_int(data));
        return word_int(data) == 3 ? 30 : 0;
    };
    EXPECT_EQ(dlist_foreach(list, nullptr, LIST_FROM_TAIL, stop_at_3, &visited), 30);
    EXPECT_EQ(visited, (Words{4, 3}));
    EXPECT_EQ(word_int(dlist_reverse(list)->data), 1);  // the new tail
    EXPECT_EQ(contents(list, true), (Words{4, 3, 2, 1}));
    dlist_free(list, LIST_FROM_HEAD, nullptr);

    List* s = list_new();
    for (int i = 1; i <= 3; ++i) slist_append(s, int_word(i));
    EXPECT_EQ(word_int(slist_reverse(s)->data), 3);  // the new head
    EXPECT_EQ(contents(s, false), (Words{3, 2, 1}));
    slist_free(s, nullptr);
}

TEST(DList, TypedWalksTolerateRemovingTheCurrentNode) {
    int values[] = {10, 20, 30, 40};
    List* list = list_new();
    for (int& v : values) dlist_append(list, &v);
    for (DListNode* node : dlist_nodes(list))
        if (*static_cast<int*>(node->data) == 20) dlist_remove(list, node, nullptr);
    std::vector<int> forward, backward;
    for (int* v : list_items<int>(list)) forward.push_back(*v);
    for (int* v : list_items_reverse<int>(list)) backward.push_back(*v);
    EXPECT_EQ(forward, (std::vector<int>{10, 30, 40}));
    EXPECT_EQ(backward, (std::vector<int>{40, 30, 10}));
    for (int* v : list_items<int>(nullptr)) ADD_FAILURE() << *v;
    dlist_free(list, LIST_FROM_HEAD, nullptr);
}

}  // namespace
