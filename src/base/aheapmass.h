// A growable array. Its index operator reaches up to the capacity, so the storage is
// value-initialised: no read ever sees an indeterminate value.
#pragma once

#include <algorithm>
#include <cstdint>
#include <new>

template <typename T> class AHeapMass {
public:
    explicit AHeapMass(int32_t capacity = 10, int32_t delta = 10)
        : capacity_(capacity > 0 ? capacity : 10), delta_(delta > 0 ? delta : 10) {
        items_ = Allocate(capacity_);
        if (!items_)
            capacity_ = 0;
    }
    AHeapMass(const AHeapMass& other) : delta_(other.delta_) { CopyFrom(other); }
    AHeapMass& operator=(const AHeapMass& other) {
        if (this != &other) {
            Clear();
            delta_ = other.delta_;
            CopyFrom(other);
        }
        return *this;
    }
    ~AHeapMass() { delete[] items_; }

    // The index the value was stored at, or -1 when the array could not grow.
    int32_t Add(const T& value) {
        if (count_ >= capacity_) {
            T* grown = Allocate(capacity_ + delta_);
            if (!grown)
                return -1;
            std::copy(items_, items_ + count_, grown);
            delete[] items_;
            items_ = grown;
            capacity_ += delta_;
        }
        items_[count_] = value;
        return count_++;
    }

    // Element i for 0 <= i < capacity; otherwise element 0 when there is one, else null.
    T* operator[](int32_t i) const {
        if (i >= 0 && i < capacity_)
            return items_ + i;
        return count_ > 0 ? items_ : nullptr;
    }

    int32_t Count() const { return count_; }
    int32_t Capacity() const { return capacity_; }
    int32_t Delta() const { return delta_; }

    void Clear() {
        delete[] items_;
        items_ = nullptr;
        count_ = capacity_ = 0;
    }

private:
    static T* Allocate(int32_t n) { return new (std::nothrow) T[static_cast<size_t>(n)](); }

    void CopyFrom(const AHeapMass& other) {
        capacity_ = other.capacity_;
        count_ = other.count_;
        items_ = capacity_ > 0 ? Allocate(capacity_) : nullptr;
        if (!items_) {
            capacity_ = count_ = 0;
            return;
        }
        std::copy(other.items_, other.items_ + count_, items_);
    }

    T* items_ = nullptr;
    int32_t capacity_ = 0;
    int32_t delta_ = 10;
    int32_t count_ = 0;
};
