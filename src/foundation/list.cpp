#include "foundation/list.h"

#include <new>

#include "foundation/core.h"
#include "foundation/heap.h"

// Both list kinds share one set of templates; they differ only in how a
// node's predecessor is found (a walk from the head, or the prev link) and
// in whether prev links are kept.
namespace {

template <class N>
N* next_of(const N* n) {
    return static_cast<N*>(n->next);
}
template <class N>
N* head_of(const List* list) {
    return static_cast<N*>(list->head);
}
template <class N>
N* tail_of(const List* list) {
    return static_cast<N*>(list->tail);
}

void set_prev(ListNode*, ListNode*) {}
void set_prev(DListNode* node, ListNode* prev) { node->prev = static_cast<DListNode*>(prev); }

// The node in front of `node` (none for the head); *found is false when the
// node is not in the list.
ListNode* predecessor(const List* list, const ListNode* node, bool* found) {
    ListNode* prev = nullptr;
    for (ListNode* n = list->head; n; prev = n, n = n->next) {
        if (n == node) {
            *found = true;
            return prev;
        }
    }
    *found = false;
    return nullptr;
}
DListNode* predecessor(const List*, const DListNode* node, bool* found) {
    *found = true;
    return node->prev;
}

// Nodes and headers are small blocks of the pool (heap.h): a list of a
// whole sheet's records is made and freed without a malloc call per node.
// Both node kinds take the block of the larger one, so that a node released
// through the other kind's operations still returns to its own size class.
constexpr size_t NODE_BLOCK = sizeof(DListNode);
static_assert(sizeof(ListNode) <= NODE_BLOCK && alignof(DListNode) <= POOL_GRAIN);

template <class N>
N* make_node(void* data) {
    void* block = pool_alloc(NODE_BLOCK);
    if (!block) return nullptr;
    N* node = new (block) N;
    node->data = data;
    return node;
}

// Frees the node, then hands its data word to the callback.
template <class N>
int release(N* node, ListDataFn callback) {
    void* data = node->data;
    node->~N();
    pool_free(node, NODE_BLOCK);
    return callback ? callback(data) : 0;
}

// Links `node` after `prev` (none: at the head).
template <class N>
void link_after(List* list, N* prev, N* node) {
    N* succ = prev ? next_of(prev) : head_of<N>(list);
    node->next = succ;
    set_prev(node, prev);
    if (succ)
        set_prev(succ, node);
    else
        list->tail = node;
    if (prev)
        prev->next = node;
    else
        list->head = node;
    ++list->count;
}

template <class N>
void unlink(List* list, N* prev, N* node) {
    N* succ = next_of(node);
    if (prev)
        prev->next = succ;
    else
        list->head = succ;
    if (succ)
        set_prev(succ, prev);
    else
        list->tail = prev;
    if (--list->count == 0) list->head = list->tail = nullptr;
}

template <class N>
N* add_after(List* list, N* prev, void* data) {
    N* node = make_node<N>(data);
    if (node) link_after(list, prev, node);
    return node;
}

template <class N>
N* insert(List* list, N* node, int position, void* data) {
    if ((node && node == head_of<N>(list) && position == LIST_BEFORE) ||
        (!node && position != LIST_BEFORE))
        return add_after<N>(list, nullptr, data);
    if ((node && node == tail_of<N>(list) && position != LIST_BEFORE) || !node)
        return add_after(list, tail_of<N>(list), data);
    if (position != LIST_BEFORE) return add_after(list, node, data);
    bool found;
    N* prev = predecessor(list, node, &found);
    return add_after(list, found ? prev : tail_of<N>(list), data);
}

template <class N>
int remove_head(List* list, ListDataFn callback) {
    N* node = head_of<N>(list);
    if (!node) return -1;
    unlink<N>(list, nullptr, node);
    return release(node, callback);
}

template <class N>
int remove_tail(List* list, ListDataFn callback) {
    N* node = tail_of<N>(list);
    if (!node) return -1;
    bool found;
    unlink(list, predecessor(list, node, &found), node);
    return release(node, callback);
}

template <class N>
int remove(List* list, N* node, ListDataFn callback) {
    if (!list->head || !node) return -1;
    if (node == head_of<N>(list)) return remove_head<N>(list, callback);
    if (node == tail_of<N>(list)) return remove_tail<N>(list, callback);
    bool found;
    N* prev = predecessor(list, node, &found);
    if (!found) return -1;
    unlink(list, prev, node);
    return release(node, callback);
}

// Frees the nodes walking with `step` from `first`, then the header. A
// callback's result does not stop the walk: every node is freed.
template <class N>
void free_all(List* list, N* first, N* (*step)(const N*), ListDataFn callback) {
    if (!list) return;
    for (N* n = first; n;) {
        N* after = step(n);
        // The nodes of a long list and their records lie apart (a list of
        // nets: each head among its members): the next node's record and
        // the node after it are fetched while this one is released.
        if (after) {
            __builtin_prefetch(after->data);
            __builtin_prefetch(step(after));
        }
        release(n, callback);
        n = after;
    }
    list->~List();
    pool_free(list, sizeof(List));
}

template <class N, class Fn>
int foreach (N* start, N * (*step)(const N*), Fn call) {
    for (N* n = start; n;) {
        N* after = step(n);  // the function may remove the node it is given
        if (int result = call(n)) return result;
        n = after;
    }
    return 0;
}

template <class N>
int concat(List* dest, List* src, N* before) {
    if (!src->head || src == dest) return 0;
    N* first = head_of<N>(src);
    N* last = tail_of<N>(src);
    bool found = false;
    N* prev = before ? predecessor(dest, before, &found) : nullptr;
    if (!dest->head) {
        dest->head = first;
        dest->tail = last;
    } else if (!found) {  // no (or an unknown) before node: at the end
        tail_of<N>(dest)->next = first;
        set_prev(first, dest->tail);
        dest->tail = last;
    } else {
        if (prev)
            prev->next = first;
        else
            dest->head = first;
        set_prev(first, prev);
        last->next = before;
        set_prev(before, last);
    }
    dest->count += src->count;
    src->count = 0;
    src->head = src->tail = nullptr;
    return 0;
}

using list_detail::backward;
using list_detail::forward;
using list_detail::forward_d;

}  // namespace

List* list_new() {
    void* block = pool_alloc(sizeof(List));
    return block ? new (block) List : nullptr;
}

List* new_list_or_die() {
    List* list = list_new();
    if (!list) no_memory();
    return list;
}

void append_or_die(List* list, void* data) {
    if (!dlist_append(list, data)) no_memory();
}

// --- singly linked ----------------------------------------------------------

ListNode* slist_prepend(List* list, void* data) { return add_after<ListNode>(list, nullptr, data); }
ListNode* slist_append(List* list, void* data) { return add_after(list, list->tail, data); }
ListNode* slist_insert(List* list, ListNode* node, int position, void* data) {
    return insert(list, node, position, data);
}
int slist_remove_head(List* list, ListDataFn callback) {
    return remove_head<ListNode>(list, callback);
}
int slist_remove_tail(List* list, ListDataFn callback) {
    return remove_tail<ListNode>(list, callback);
}
int slist_remove(List* list, ListNode* node, ListDataFn callback) {
    return remove(list, node, callback);
}
void slist_free(List* list, ListDataFn callback) {
    free_all(list, list ? list->head : nullptr, forward, callback);
}
int slist_foreach(List* list, ListNode* start, ListForeachFn fn, void* arg) {
    return foreach (start ? start : list->head, forward,
                    [&](ListNode* n) { return fn(list, n->data, arg); });
}
int slist_foreach_node(List* list, ListNode* start, SListForeachNodeFn fn, void* arg) {
    return foreach (start ? start : list->head, forward,
                    [&](ListNode* n) { return fn(list, n, n->data, arg); });
}
int slist_concat(List* dest, List* src, ListNode* before) { return concat(dest, src, before); }

ListNode* slist_reverse(List* list) {
    ListNode* prev = nullptr;
    for (ListNode* n = list->head; n;) {
        ListNode* after = n->next;
        n->next = prev;
        prev = n;
        n = after;
    }
    list->tail = list->head;
    list->head = prev;
    return list->head;
}

// --- doubly linked ----------------------------------------------------------

DListNode* dlist_prepend(List* list, void* data) {
    return add_after<DListNode>(list, nullptr, data);
}
DListNode* dlist_append(List* list, void* data) { return add_after(list, dlist_tail(list), data); }
DListNode* dlist_insert(List* list, DListNode* node, int position, void* data) {
    return insert(list, node, position, data);
}
int dlist_remove_head(List* list, ListDataFn callback) {
    return remove_head<DListNode>(list, callback);
}
int dlist_remove_tail(List* list, ListDataFn callback) {
    return remove_tail<DListNode>(list, callback);
}
int dlist_remove(List* list, DListNode* node, ListDataFn callback) {
    return remove(list, node, callback);
}
void dlist_free(List* list, int direction, ListDataFn callback) {
    if (direction == LIST_FROM_HEAD)
        free_all(list, list ? dlist_head(list) : nullptr, forward_d, callback);
    else
        free_all(list, list ? dlist_tail(list) : nullptr, backward, callback);
}

namespace {
template <class Fn>
int dlist_walk(List* list, DListNode* start, int direction, Fn call) {
    if (direction == LIST_FROM_HEAD)
        return foreach (start ? start : dlist_head(list), forward_d, call);
    return foreach (start ? start : dlist_tail(list), backward, call);
}
}  // namespace

int dlist_foreach(List* list, DListNode* start, int direction, ListForeachFn fn, void* arg) {
    return dlist_walk(list, start, direction, [&](DListNode* n) { return fn(list, n->data, arg); });
}
int dlist_foreach_node(List* list, DListNode* start, int direction, DListForeachNodeFn fn,
                       void* arg) {
    return dlist_walk(list, start, direction,
                      [&](DListNode* n) { return fn(list, n, n->data, arg); });
}
int dlist_concat(List* dest, List* src, DListNode* before) { return concat(dest, src, before); }

DListNode* dlist_reverse(List* list) {
    for (DListNode* n = dlist_head(list); n;) {
        DListNode* after = dlist_next(n);
        n->next = n->prev;
        n->prev = after;
        n = after;
    }
    ListNode* old_head = list->head;
    list->head = list->tail;
    list->tail = old_head;
    return dlist_tail(list);
}
