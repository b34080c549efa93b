#pragma once
// A local wall-clock instant, as the program reads it once per tick.
// Portable logic gets it through a port, so tests never see the real hour.

struct LocalTime {
    int year = 0;
    int month = 0;   // 1-12
    int day = 0;     // day of the month, 1-31
    int hour = 0;    // 0-23
    int minute = 0;  // 0-59
    int second = 0;  // 0-59 (60 on a leap second)
};
