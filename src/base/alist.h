// A singly linked list with a built-in cursor, and its sorted variant.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <new>
#include <type_traits>
#include <utility>

template <typename T> struct Node {
    T value;
    Node* next = nullptr;
    explicit Node(const T& v) : value(v) {}
};

// Walks the nodes without the list's cursor, so that a const list can be read, by several
// threads at once if need be.
template <typename T, typename V> class AListIterator {
public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = std::remove_const_t<V>;
    using difference_type = std::ptrdiff_t;
    using pointer = V*;
    using reference = V&;

    AListIterator() = default;
    explicit AListIterator(Node<T>* node) : node_(node) {}

    reference operator*() const { return node_->value; }
    pointer operator->() const { return &node_->value; }
    AListIterator& operator++() {
        node_ = node_->next;
        return *this;
    }
    AListIterator operator++(int) {
        AListIterator before = *this;
        node_ = node_->next;
        return before;
    }
    friend bool operator==(const AListIterator& a, const AListIterator& b) { return a.node_ == b.node_; }

private:
    Node<T>* node_ = nullptr;
};

// Allocation failure never throws: Add answers 0 and the list stays as it was.
template <typename T> class AList {
public:
    using iterator = AListIterator<T, T>;
    using const_iterator = AListIterator<T, const T>;
    AList() = default;
    AList(const AList& other) { CopyFrom(other); }
    AList& operator=(const AList& other) {
        if (this != &other) {
            Clear();
            CopyFrom(other);
        }
        return *this;
    }
    virtual ~AList() { Clear(); }

    // Appends a copy; the cursor moves only when the list was empty.
    virtual int Add(T value) {
        Node<T>* node = MakeNode(value);
        if (!node)
            return 0;
        if (!first_) {
            first_ = current_ = last_ = node;
        } else {
            last_->next = node;
            last_ = node;
        }
        ++count_;
        return 1;
    }

    // Removes the element under the cursor; the cursor goes to the successor when the first element
    // was deleted, else to the predecessor.
    virtual int DeleteCurrent() {
        if (!current_)
            return 0;
        Node<T>* gone = current_;
        Node<T>* successor = gone->next;
        --count_;
        if (first_ == last_) {
            first_ = current_ = last_ = nullptr;
        } else if (gone == first_) {
            first_ = current_ = successor;
        } else {
            Node<T>* pred = first_;
            while (pred->next != gone)
                pred = pred->next;
            current_ = pred;
            if (gone == last_)
                last_ = pred;
            pred->next = successor;
        }
        delete gone;
        return 1;
    }

    int First() {
        if (!first_)
            return 0;
        current_ = first_;
        return 1;
    }
    int Next() {
        if (!current_ || current_ == last_)
            return 0;
        current_ = current_->next;
        return 1;
    }
    T* Current() const { return current_ ? &current_->value : nullptr; }
    // An index past the end yields the last element; a negative one yields null.
    T* GetAt(int n) {
        if (!First() || n < 0)
            return nullptr;
        for (int i = 0; i < n && Next(); ++i) {
        }
        return Current();
    }
    void Clear() {
        Node<T>* n = first_;
        while (n) {
            Node<T>* next = n->next;
            delete n;
            n = next;
        }
        first_ = current_ = last_ = nullptr;
        count_ = 0;
    }
    int32_t Count() const { return count_; }

    // Reading in order; the cursor stays where it is. The cursor functions above and the
    // iterators may be mixed, but DeleteCurrent invalidates an iterator on the deleted element.
    iterator begin() { return iterator(first_); }
    iterator end() { return iterator(); }
    const_iterator begin() const { return const_iterator(first_); }
    const_iterator end() const { return const_iterator(); }

protected:
    static Node<T>* MakeNode(const T& value) {
        try {
            return new (std::nothrow) Node<T>(value);
        } catch (const std::bad_alloc&) { // an element whose copy allocates
            return nullptr;
        }
    }

    Node<T>* first_ = nullptr;
    Node<T>* current_ = nullptr;
    int32_t count_ = 0;
    Node<T>* last_ = nullptr;

private:
    // Through the virtual Add, so that assigning into a sorted list sorts.
    void CopyFrom(const AList& other) {
        for (const T& value : other)
            Add(value);
    }
};

// Ascending order; a new element goes before the elements equal to it.
template <typename T> class ASortedList : public AList<T> {
public:
    ASortedList() = default;
    ASortedList(const ASortedList& other) : AList<T>() {
        for (const T& value : other)
            Add(value);
    }
    ASortedList& operator=(const ASortedList& other) {
        AList<T>::operator=(other);
        return *this;
    }

    int Add(T value) override {
        Node<T>* node = this->MakeNode(value);
        if (!node)
            return 0;
        if (!this->first_) {
            this->first_ = this->current_ = this->last_ = node;
            this->count_ = 1;
            return 1;
        }
        Node<T>* prev = nullptr;
        this->current_ = this->first_;
        for (;;) {
            if (node->value < this->current_->value || node->value == this->current_->value) {
                node->next = this->current_;
                if (prev)
                    prev->next = node;
                else
                    this->first_ = node;
                this->current_ = node;
                ++this->count_;
                return 1;
            }
            if (!this->Next())
                break;
            prev = prev ? prev->next : this->first_;
        }
        this->last_->next = node; // the cursor stays on the element that was last
        this->last_ = node;
        ++this->count_;
        return 1;
    }
};
