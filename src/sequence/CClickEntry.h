// One click of a sequence: where, which kind, whether the pointer goes back
// afterwards, and how long to wait before it.
#pragma once

#include <cstdint>

// The four click kinds; the value is also the index of the click-type combo
// box entry. Other values may come from a sequence file; they are kept and
// performed as "no click".
enum ClickType : int {
    SingleLeftClick = 0,
    SingleRightClick = 1,
    DoubleLeftClick = 2,
    DoubleRightClick = 3,
};

// The text of each click kind, in combo box order.
extern const char* const kClickTypeTexts[4];

class CClickEntry {
public:
    CClickEntry() = default;
    CClickEntry(const CClickEntry&) = default;
    CClickEntry& operator=(const CClickEntry&) = default;
    virtual ~CClickEntry() = default;

    std::uint32_t m_delay = 1000; // milliseconds before this click
    std::uint16_t m_serial = 0;   // the "Sr No" label; a row's number, not its place
    std::uint32_t m_x = 0;        // screen X; negative positions are held as their 32-bit pattern
    std::uint32_t m_y = 0;        // screen Y, as m_x
    int m_cursorBack = 0;         // non-zero: put the pointer back after the click
    int m_clickType = SingleLeftClick;
};
