// CountingCell.h - a long cell that counts the live instances, to catch leaks and double deletes.
#pragma once

#include "cells/Cell.h"

#include <cstdint>

namespace cells_test {

/// Like the relay leg, a CCellLong that only adds a destructor of its own. Every
/// construction and destruction is counted, so a tree that leaks a cell or
/// deletes one twice leaves `Live()` off (and the sanitizer build reports it).
class CountingCell : public CCellLong {
public:
    explicit CountingCell(std::int32_t v) : CCellLong(v) { ++live; }
    ~CountingCell() override { --live; }

    static int Live() { return live; }

private:
    static inline int live = 0;
};

} // namespace cells_test
