#include "foundation/tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <new>
#include <string>
#include <vector>

#include "foundation/core.h"
#include "foundation/heap.h"

namespace {

using Words = std::vector<intptr_t>;

int compare_ints(const void* a, const void* b) {
    intptr_t x = word_int(a), y = word_int(b);
    return (x > y) - (x < y);
}

Words in_order(const TreeNode* root) {
    Words out;
    tree_walk_with(
        root, &out, nullptr,
        [](void* data, void* a, void*) { static_cast<Words*>(a)->push_back(word_int(data)); },
        TREE_IN_ORDER);
    return out;
}

// A tree of integer keys, freed at the end of the test.
class IntTree : public testing::Test {
protected:
    void add(std::initializer_list<int> keys) {
        for (int k : keys) EXPECT_EQ(tree_insert(&root_, int_word(k)), nullptr);
    }
    TreeCompareScope order_{compare_ints};
    TreeNode* root_ = nullptr;
    ~IntTree() override { tree_free(root_, nullptr); }
};

const std::initializer_list<int> kKeys = {50, 30, 70, 20, 40, 60, 80, 35, 45, 65};

TEST_F(IntTree, InsertingAnEqualEntryReplacesItsWordAndKeepsOneNode) {
    EXPECT_EQ(tree_set_compare(nullptr), compare_ints);  // none puts strcmp back
    tree_set_compare(compare_ints);
    std::string a = "key", b = "key";
    TreeNode* root = nullptr;
    {
        TreeCompareScope by_text(nullptr);
        EXPECT_EQ(tree_insert(&root, a.data()), nullptr);
        EXPECT_EQ(tree_insert(&root, b.data()), a.data());
        EXPECT_EQ(tree_find(root, "key"), b.data());
    }
    EXPECT_EQ(root->left, nullptr);
    EXPECT_EQ(root->right, nullptr);
    tree_free(root, nullptr);
}

// Deleting any one entry leaves the others in order, whatever subtrees its
// node had.
class DeleteEach : public IntTree, public testing::WithParamInterface<int> {};

TEST_P(DeleteEach, LeavesTheOtherEntriesInOrder) {
    add(kKeys);
    Words expected;
    for (int k : kKeys)
        if (k != GetParam()) expected.push_back(k);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(word_int(tree_delete(&root_, int_word(GetParam()))), GetParam());
    EXPECT_EQ(in_order(root_), expected);
    EXPECT_EQ(tree_find(root_, int_word(GetParam())), nullptr);
    EXPECT_EQ(tree_delete(&root_, int_word(GetParam())), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Tree, DeleteEach, testing::ValuesIn(std::vector<int>(kKeys)));

TEST_F(IntTree, NextGivesTheFollowingEntryOrTheDefault) {
    add(kKeys);
    void* fallback = int_word(-1);
    const std::pair<int, int> cases[] = {
        {81, -1},  // beyond every entry
        {80, -1},  // the largest
        {36, 40},  // between two entries
        {30, 35},  // present, with a right subtree
        {45, 50},  // present, without one
        {0, 20},   // before every entry
    };
    for (auto [key, next] : cases)
        EXPECT_EQ(word_int(tree_next(root_, int_word(key), fallback)), next) << key;
}

TEST_F(IntTree, FirstGivesTheSmallestAndCanRemoveIt) {
    EXPECT_EQ(tree_first(&root_, true), nullptr);
    add(kKeys);
    EXPECT_EQ(word_int(tree_first(&root_, false)), 20);
    EXPECT_EQ(word_int(tree_first(&root_, true)), 20);
    EXPECT_EQ(word_int(tree_first(&root_, true)), 30);
    EXPECT_EQ(in_order(root_), (Words{35, 40, 45, 50, 60, 65, 70, 80}));
}

TEST_F(IntTree, WalksInEitherOrderSkippingZeroWordsAndFreesChildrenFirst) {
    add({2, 0, 1, 3});
    static Words seen;
    seen.clear();
    tree_walk_with(
        root_, &seen, nullptr,
        [](void* d, void* a, void*) { static_cast<Words*>(a)->push_back(word_int(d)); },
        TREE_REVERSE);
    EXPECT_EQ(seen, (Words{3, 2, 1}));
    seen.clear();
    tree_free(root_, [](void* d) { seen.push_back(word_int(d)); });
    root_ = nullptr;
    EXPECT_EQ(seen, (Words{1, 0, 3, 2}));
}

TEST(Tree, FreeDataReleasesTheWords) {  // the sanitizer build reports a leak otherwise
    TreeNode* root = nullptr;
    for (const char* name : {"b", "a", "c"}) tree_insert(&root, str_dup(name));
    tree_free_data(root, true);
}

// Sorted keys make the tree a chain; every operation must walk it without
// recursion. The chain is linked by hand: inserting it key by key would take
// quadratic time.
TEST_F(IntTree, AChainOfSortedKeysDoesNotExhaustTheStack) {
    const int depth = 300000;
    TreeNode** link = &root_;
    for (int k = 0; k < depth; ++k) {
        auto* node = new (heap_alloc(sizeof(TreeNode))) TreeNode;
        node->data = int_word(k);
        *link = node;
        link = &node->right;
    }
    EXPECT_EQ(tree_insert(&root_, int_word(depth)), nullptr);
    EXPECT_EQ(word_int(tree_find(root_, int_word(depth - 1))), depth - 1);
    EXPECT_EQ(word_int(tree_next(root_, int_word(depth - 1), nullptr)), depth);
    EXPECT_EQ(word_int(tree_delete(&root_, int_word(0))), 0);  // moves every word up
    EXPECT_EQ(word_int(tree_first(&root_, true)), 1);
    static intptr_t count = 0;
    tree_walk(root_, [](void*) { ++count; });
    EXPECT_EQ(count, depth - 1);
}

TEST(Tree, ExhaustedMemoryInInsertEndsTheProgram) {
    EXPECT_EXIT(
        {
            TreeNode* root = nullptr;
            heap_fail_at(1);
            tree_insert(&root, const_cast<char*>("lost"));
        },
        testing::ExitedWithCode(1), "Not Enough Memory");
}

}  // namespace
