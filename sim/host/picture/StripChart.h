// A strip chart: series stacked one strip each over a common time axis, drawn with GDI into
// any device context - a window's, or a DIB section that becomes a picture. The host's run
// plot draws with it, and so will the interactive host's live chart.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace standin {

struct ChartSeries {
    std::string label;          // UTF-8, left of the strip
    double low = 0, high = 1;   // the values at the strip's bottom and top
    std::vector<double> times;  // seconds, ascending
    std::vector<double> values; // one per time; each holds until the next (steps)
    COLORREF colour = RGB(0, 0, 160);
};

struct StripChart {
    std::string title; // UTF-8, above the strips
    double startSeconds = 0, endSeconds = 1;
    std::vector<ChartSeries> series;
};

// Where things lie when the chart fills `area`: the strip of series `index`, and the pixel of
// a value at a time within that strip.
RECT StripRect(const RECT& area, size_t count, size_t index);
POINT ChartPoint(const StripChart& chart, const RECT& strip, size_t index, double seconds,
                 double value);
// The area a picture of `count` strips needs at `width` pixels.
RECT ChartArea(int width, size_t count);

void DrawStripChart(HDC dc, const RECT& area, const StripChart& chart);
// The chart drawn into a 32-bit DIB section of the given size: BGRX pixels, top row first.
std::vector<uint32_t> ChartPixels(const StripChart& chart, int width, int height);

} // namespace standin
