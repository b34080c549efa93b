#pragma once
// Memory that runs out on demand: while a FailingAllocations lives, every operator new of at
// least `bytes` throws std::bad_alloc. The test program that uses it links
// failing_allocation.cpp, which replaces the global operator new.
#include <cstddef>

class FailingAllocations {
  public:
    explicit FailingAllocations(std::size_t bytes);
    ~FailingAllocations();
    FailingAllocations(const FailingAllocations&) = delete;
    FailingAllocations& operator=(const FailingAllocations&) = delete;
};
