#pragma once
// An unbalanced binary search tree of untyped data words, ordered by one
// process-wide compare function (initially strcmp on the data words, which
// are then C strings). A tree is just its root pointer; none is the empty
// tree. The tree never owns its data words unless tree_free_data is told to
// release them.
//
// Every operation is iterative: a tree built from sorted keys degenerates
// into a chain, and must not exhaust the stack however long it gets.
#include "foundation/data_word.h"

struct TreeNode {
    TreeNode* left = nullptr;   // owned by the tree: entries that compare smaller
    TreeNode* right = nullptr;  // owned by the tree: entries that compare larger
    void* data = nullptr;       // not owned: the tree's holder says who owns the data
};

// Negative, zero or positive; only the sign is used.
using TreeCompareFn = int (*)(const void* a, const void* b);
using TreeDataFn = void (*)(void* data);
using TreeWalkWithFn = void (*)(void* data, void* a, void* b);

// Walking direction of tree_walk_with.
enum : int { TREE_IN_ORDER = 0, TREE_REVERSE = 1 };

void tree_clear(TreeNode** root);  // forgets the tree, frees nothing
bool tree_is_empty(const TreeNode* root);

// Installs the compare function of every following tree operation and
// returns the previous one; none installs strcmp again.
TreeCompareFn tree_set_compare(TreeCompareFn compare);

// Adds data; when an entry compares equal its data word is replaced and the
// old word returned. Returns 0 (none) when a node was added. Exhausted memory
// ends the program through no_memory.
void* tree_insert(TreeNode** root, void* data);
// Removes the entry equal to key and returns its data word; 0 when absent.
// Only data words move: the node that held the key may stay in place.
void* tree_delete(TreeNode** root, const void* key);
// Data word of the entry equal to key; 0 when absent.
void* tree_find(const TreeNode* root, const void* key);
// Data word of the first entry that follows key in order (key need not be
// present); `fallback` when none follows.
void* tree_next(const TreeNode* root, const void* key, void* fallback);
// Data word of the smallest entry (0 for an empty tree), deleted as by
// tree_delete when `remove` is set.
void* tree_first(TreeNode** root, bool remove);
// In-order walk.
void tree_walk(const TreeNode* root, TreeDataFn fn);
// In-order walk (TREE_REVERSE: largest first) passing a and b along;
// entries whose data word is 0 are skipped.
void tree_walk_with(const TreeNode* root, void* a, void* b, TreeWalkWithFn fn, int direction);
// Frees every node, children before parent, calling fn (when given) on each
// data word before its node goes.
void tree_free(TreeNode* root, TreeDataFn fn);
// Frees every node, children before parent; with free_data set each data
// word is also released with free() (it must come from malloc or str_dup).
void tree_free_data(TreeNode* root, bool free_data);

// Installs a compare function for the life of a scope, then puts the
// previous one back.
class TreeCompareScope {
public:
    explicit TreeCompareScope(TreeCompareFn compare) : previous_(tree_set_compare(compare)) {}
    ~TreeCompareScope() { tree_set_compare(previous_); }
    TreeCompareScope(const TreeCompareScope&) = delete;
    TreeCompareScope& operator=(const TreeCompareScope&) = delete;

private:
    TreeCompareFn previous_;
};
