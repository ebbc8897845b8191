#pragma once

#include <atomic>
#include <cstdint>

// The handheld's interlocked operations on plain 32-bit variables that several threads share.
// Increment and Decrement answer the new value; Exchange, ExchangeAdd and CompareExchange answer
// the value found before.
class Interlocked {
public:
    static int32_t Increment(int32_t& target) { return Ref(target).fetch_add(1) + 1; }
    static int32_t Decrement(int32_t& target) { return Ref(target).fetch_sub(1) - 1; }
    static int32_t Exchange(int32_t& target, int32_t value) { return Ref(target).exchange(value); }
    static int32_t ExchangeAdd(int32_t& target, int32_t value) {
        return Ref(target).fetch_add(value);
    }
    // Stores `exchange` when the target holds `comparand`.
    static int32_t CompareExchange(int32_t& target, int32_t exchange, int32_t comparand) {
        Ref(target).compare_exchange_strong(comparand, exchange);
        return comparand;
    }
    static int32_t Read(int32_t& target) { return Ref(target).load(); }

private:
    static std::atomic_ref<int32_t> Ref(int32_t& target) {
        return std::atomic_ref<int32_t>(target);
    }
};
