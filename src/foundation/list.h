#pragma once
// Linked lists of untyped data words (see data_word.h). One header record,
// `List`, serves both the singly linked (slist_*) and the doubly linked
// (dlist_*) kind; a given list is used with one kind of operation only. The
// record lists of the whole system are doubly linked lists.
//
// Lists never own what their data words point to: the remove and free
// operations take an optional callback that is called on each data word
// after its node is gone (the callbacks in use free the record and return 0).
//
// Typed iteration from C++:
//     for (Item* item : list_items<Item>(list)) ...
//     for (Item* item : list_items_reverse<Item>(list)) ...   (doubly linked)
//     for (DListNode* node : dlist_nodes(list)) ...
// These walks tolerate removing the node they stand on (but not its
// neighbour in walking direction); a null list walks nothing.
#include <cstdint>

#include "foundation/data_word.h"

struct ListNode {
    void* data = nullptr;      // not owned: the list's holder says who owns the data
    ListNode* next = nullptr;  // owned by the list, like every node
};

struct DListNode : ListNode {
    DListNode* prev = nullptr;  // none at the head; not owned (the list owns the nodes)
};

// Invariant: count == 0 exactly when head and tail are both none.
struct List {
    uint32_t count = 0;
    ListNode* head = nullptr;  // owned nodes; DListNode* in a doubly linked list
    ListNode* tail = nullptr;  // not owned: the last of the nodes
};

// Where an insert puts the new node relative to the given one.
enum : int { LIST_BEFORE = 1, LIST_AFTER = 2 };
// Walking directions of dlist_free and dlist_foreach (any value other than
// LIST_FROM_HEAD walks from the tail).
enum : int { LIST_FROM_HEAD = 1, LIST_FROM_TAIL = 2 };

using ListDataFn = int (*)(void* data);
using ListForeachFn = int (*)(List* list, void* data, void* arg);
using SListForeachNodeFn = int (*)(List* list, ListNode* node, void* data, void* arg);
using DListForeachNodeFn = int (*)(List* list, DListNode* node, void* data, void* arg);

// A new empty list (release it with slist_free or dlist_free); none when
// memory is exhausted.
List* list_new();
// list_new and dlist_append for callers that cannot go on without the list:
// exhausted memory ends the program (no_memory) instead of answering none.
List* new_list_or_die();
void append_or_die(List* list, void* data);

// Typed access to the nodes of a doubly linked list.
inline DListNode* dlist_head(const List* list) { return static_cast<DListNode*>(list->head); }
inline DListNode* dlist_tail(const List* list) { return static_cast<DListNode*>(list->tail); }
inline DListNode* dlist_next(const DListNode* node) { return static_cast<DListNode*>(node->next); }

// --- singly linked ----------------------------------------------------------
// The adds return the new node, or none when memory is exhausted (the list
// is then unchanged). Removes return the callback's result on the removed
// data word (0 without callback), or -1 when the list is empty (or, for
// slist_remove, when the node is not in the list).
ListNode* slist_prepend(List* list, void* data);
ListNode* slist_append(List* list, void* data);
// Before (LIST_BEFORE) or after (any other position) `node`; node none with
// LIST_BEFORE appends, with any other position prepends. A node that is not
// in the list, with LIST_BEFORE, appends.
ListNode* slist_insert(List* list, ListNode* node, int position, void* data);
int slist_remove_head(List* list, ListDataFn callback);
int slist_remove_tail(List* list, ListDataFn callback);
int slist_remove(List* list, ListNode* node, ListDataFn callback);
// Frees the nodes from the head, calling the callback on each data word
// after its node is freed (its result is ignored), then the header.
void slist_free(List* list, ListDataFn callback);
// Calls fn on each data word from `start` (none = the head); stops at the
// first non-zero result and returns it; 0 after the last node.
int slist_foreach(List* list, ListNode* start, ListForeachFn fn, void* arg);
int slist_foreach_node(List* list, ListNode* start, SListForeachNodeFn fn, void* arg);
// Moves every node of src to the end of dest, or in front of `before` (a
// node of dest); src is left empty. Returns 0.
int slist_concat(List* dest, List* src, ListNode* before);
// Reverses in place; returns the new head.
ListNode* slist_reverse(List* list);

// --- doubly linked ----------------------------------------------------------
// The same contracts as the singly linked forms; `direction` LIST_FROM_HEAD
// walks from the head, any other value from the tail backwards (a none
// start node then means the tail).
DListNode* dlist_prepend(List* list, void* data);
DListNode* dlist_append(List* list, void* data);
DListNode* dlist_insert(List* list, DListNode* node, int position, void* data);
int dlist_remove_head(List* list, ListDataFn callback);
int dlist_remove_tail(List* list, ListDataFn callback);
// The node must belong to the list.
int dlist_remove(List* list, DListNode* node, ListDataFn callback);
void dlist_free(List* list, int direction, ListDataFn callback);
int dlist_foreach(List* list, DListNode* start, int direction, ListForeachFn fn, void* arg);
int dlist_foreach_node(List* list, DListNode* start, int direction, DListForeachNodeFn fn,
                       void* arg);
int dlist_concat(List* dest, List* src, DListNode* before);
// Reverses in place; returns the new tail.
DListNode* dlist_reverse(List* list);

// --- typed iteration ----------------------------------------------------------
namespace list_detail {

inline ListNode* forward(const ListNode* n) { return n->next; }
inline DListNode* forward_d(const DListNode* n) { return dlist_next(n); }
inline DListNode* backward(const DListNode* n) { return n->prev; }

template <class T>
struct DataOf {
    static T* get(const ListNode* n) { return static_cast<T*>(n->data); }
};
struct NodeItself {
    static DListNode* get(DListNode* n) { return n; }
};

// Walks nodes with Step, reading the following node before the current one
// is handed out so that the body may remove the current node. The data of
// the following node and the node after it are fetched meanwhile: the
// nodes and records of a large sheet lie far apart in memory, and a walk
// over them would otherwise wait on each.
template <class N, N* (*Step)(const N*), class Read>
class Walk {
public:
    class iterator {
    public:
        explicit iterator(N* node) : node_(node), after_(node ? Step(node) : nullptr) { fetch(); }
        auto operator*() const { return Read::get(node_); }
        iterator& operator++() {
            node_ = after_;
            after_ = node_ ? Step(node_) : nullptr;
            fetch();
            return *this;
        }
        bool operator!=(const iterator& other) const { return node_ != other.node_; }

    private:
        void fetch() const {
            if (!after_) return;
            __builtin_prefetch(after_->data);
            __builtin_prefetch(Step(after_));
        }
        N* node_;   // not owned: the node visited
        N* after_;  // not owned: the next one, taken before the visit
    };
    explicit Walk(N* first) : first_(first) {}
    iterator begin() const { return iterator(first_); }
    iterator end() const { return iterator(nullptr); }

private:
    N* first_;  // not owned
};

}  // namespace list_detail

// Data words of any list from the head, as T*.
template <class T>
auto list_items(const List* list) {
    return list_detail::Walk<ListNode, list_detail::forward, list_detail::DataOf<T>>(
        list ? list->head : nullptr);
}
// Data words of a doubly linked list from the tail, as T*.
template <class T>
auto list_items_reverse(const List* list) {
    return list_detail::Walk<DListNode, list_detail::backward, list_detail::DataOf<T>>(
        list ? dlist_tail(list) : nullptr);
}
// Nodes of a doubly linked list from the head.
inline auto dlist_nodes(const List* list) {
    return list_detail::Walk<DListNode, list_detail::forward_d, list_detail::NodeItself>(
        list ? dlist_head(list) : nullptr);
}
