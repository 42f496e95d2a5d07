#include "foundation/tree.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "foundation/core.h"
#include "foundation/heap.h"

namespace {

int compare_strings(const void* a, const void* b) {
    return std::strcmp(static_cast<const char*>(a), static_cast<const char*>(b));
}

TreeCompareFn tree_compare = compare_strings;

// The link (root or child pointer) that holds the entry equal to key, or the
// empty link where it would go.
TreeNode** find_link(TreeNode** link, const void* key) {
    while (*link) {
        int order = tree_compare(key, (*link)->data);
        if (order == 0) break;
        link = order < 0 ? &(*link)->left : &(*link)->right;
    }
    return link;
}

TreeNode** rightmost(TreeNode** link) {
    while ((*link)->right) link = &(*link)->right;
    return link;
}

TreeNode** leftmost(TreeNode** link) {
    while ((*link)->left) link = &(*link)->left;
    return link;
}

// Removes the data word of the node at *link. A leaf goes; otherwise the node
// takes the data word of its in-order predecessor (or, with no left subtree,
// of its successor), whose node is then removed in the same way.
void remove_at(TreeNode** link) {
    for (;;) {
        TreeNode* node = *link;
        if (!node->left && !node->right) {
            *link = nullptr;
            heap_free(node);
            return;
        }
        TreeNode** donor = node->left ? rightmost(&node->left) : leftmost(&node->right);
        node->data = (*donor)->data;
        link = donor;
    }
}

// Visits every node, children before parent.
template <class Fn>
void post_order(TreeNode* root, Fn visit) {
    std::vector<TreeNode*> pending;
    TreeNode* last = nullptr;
    for (TreeNode* node = root; node || !pending.empty();) {
        if (node) {
            pending.push_back(node);
            node = node->left;
            continue;
        }
        TreeNode* top = pending.back();
        if (top->right && top->right != last) {
            node = top->right;
        } else {
            pending.pop_back();
            visit(top);
            last = top;
        }
    }
}

// Visits every node in order (reverse: largest first).
template <class Fn>
void in_order(const TreeNode* root, bool reverse, Fn visit) {
    std::vector<const TreeNode*> pending;
    for (const TreeNode* node = root; node || !pending.empty();) {
        if (node) {
            pending.push_back(node);
            node = reverse ? node->right : node->left;
            continue;
        }
        node = pending.back();
        pending.pop_back();
        visit(node);
        node = reverse ? node->left : node->right;
    }
}

}  // namespace

void tree_clear(TreeNode** root) { *root = nullptr; }

bool tree_is_empty(const TreeNode* root) { return root == nullptr; }

TreeCompareFn tree_set_compare(TreeCompareFn compare) {
    TreeCompareFn previous = tree_compare;
    tree_compare = compare ? compare : compare_strings;
    return previous;
}

void* tree_insert(TreeNode** root, void* data) {
    TreeNode** link = find_link(root, data);
    if (*link) {
        void* old = (*link)->data;
        (*link)->data = data;
        return old;
    }
    void* block = heap_alloc(sizeof(TreeNode));
    if (!block) no_memory();  // a lost entry must not pass for an added one
    TreeNode* node = new (block) TreeNode;
    node->data = data;
    *link = node;
    return nullptr;
}

void* tree_delete(TreeNode** root, const void* key) {
    TreeNode** link = find_link(root, key);
    if (!*link) return nullptr;
    void* data = (*link)->data;
    remove_at(link);
    return data;
}

void* tree_find(const TreeNode* root, const void* key) {
    while (root) {
        int order = tree_compare(key, root->data);
        if (order == 0) return root->data;
        root = order < 0 ? root->left : root->right;
    }
    return nullptr;
}

void* tree_next(const TreeNode* root, const void* key, void* fallback) {
    while (root) {
        int order = tree_compare(key, root->data);
        if (order < 0) {
            fallback = root->data;
            root = root->left;
        } else if (order > 0) {
            root = root->right;
        } else {
            if (!root->right) return fallback;
            const TreeNode* n = root->right;
            while (n->left) n = n->left;
            return n->data;
        }
    }
    return fallback;
}

void* tree_first(TreeNode** root, bool remove) {
    if (!*root) return nullptr;
    TreeNode** link = leftmost(root);
    void* data = (*link)->data;
    if (remove) remove_at(link);
    return data;
}

void tree_walk(const TreeNode* root, TreeDataFn fn) {
    in_order(root, false, [&](const TreeNode* n) { fn(n->data); });
}

void tree_walk_with(const TreeNode* root, void* a, void* b, TreeWalkWithFn fn, int direction) {
    in_order(root, direction == TREE_REVERSE, [&](const TreeNode* n) {
        if (n->data) fn(n->data, a, b);
    });
}

void tree_free(TreeNode* root, TreeDataFn fn) {
    post_order(root, [&](TreeNode* n) {
        if (fn) fn(n->data);
        heap_free(n);
    });
}

void tree_free_data(TreeNode* root, bool free_data) {
    post_order(root, [&](TreeNode* n) {
        if (free_data) std::free(n->data);
        heap_free(n);
    });
}
