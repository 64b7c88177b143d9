#include "sim/host/picture/StripChart.h"

#include "sim/host/support/TextCodes.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace standin {

namespace {

enum : int {
    LABEL_WIDTH = 190, // left of the strips
    TITLE_HEIGHT = 24,
    AXIS_HEIGHT = 24, // below the strips: the time axis
    STRIP_HEIGHT = 40,
    STRIP_GAP = 4, // between the strip's frame and its lowest and highest value
};

const COLORREF background = RGB(255, 255, 255);
const COLORREF frame = RGB(200, 200, 200);
const COLORREF ink = RGB(0, 0, 0);

void Text(HDC dc, int x, int y, const std::string& utf8, UINT align = TA_LEFT | TA_TOP) {
    SetTextAlign(dc, align);
    const std::wstring wide = Utf8ToWide(utf8);
    TextOutW(dc, x, y, wide.data(), int(wide.size()));
}

void Fill(HDC dc, const RECT& area, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &area, brush);
    DeleteObject(brush);
}

void Frame(HDC dc, const RECT& area, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FrameRect(dc, &area, brush);
    DeleteObject(brush);
}

// A step every 0.1, 0.2, 0.5, 1, 2, 5 ... seconds, about eight of them over the chart.
double TimeStep(double span) {
    const double rough = span / 8;
    const double decade = std::pow(10.0, std::floor(std::log10(rough > 0 ? rough : 1)));
    for (double factor : {1.0, 2.0, 5.0})
        if (decade * factor >= rough)
            return decade * factor;
    return decade * 10;
}

void DrawTimeAxis(HDC dc, const RECT& area, const StripChart& chart, size_t count) {
    const RECT first = StripRect(area, count, 0);
    const int bottom = count ? StripRect(area, count, count - 1).bottom : first.bottom;
    const double span = chart.endSeconds - chart.startSeconds;
    if (!(span > 0))
        return;
    const double step = TimeStep(span);
    HPEN pen = CreatePen(PS_DOT, 1, frame);
    HGDIOBJ old = SelectObject(dc, pen);
    for (double t = std::ceil(chart.startSeconds / step) * step; t <= chart.endSeconds + 1e-9;
         t += step) {
        const int x =
            first.left +
            int(std::lround((t - chart.startSeconds) / span * (first.right - first.left - 1)));
        MoveToEx(dc, x, first.top, nullptr);
        LineTo(dc, x, bottom);
        char label[32];
        std::snprintf(label, sizeof label, "%g s", t);
        Text(dc, x, bottom + 4, label, TA_CENTER | TA_TOP);
    }
    SelectObject(dc, old);
    DeleteObject(pen);
}

void DrawSeries(HDC dc, const StripChart& chart, const RECT& strip, size_t index) {
    const ChartSeries& series = chart.series[index];
    const size_t count = std::min(series.times.size(), series.values.size());
    if (count == 0)
        return;
    // Steps: each value holds until the next time.
    std::vector<POINT> points;
    points.reserve(count * 2);
    for (size_t i = 0; i < count; ++i) {
        const POINT at = ChartPoint(chart, strip, index, series.times[i], series.values[i]);
        if (!points.empty() && points.back().y != at.y)
            points.push_back(POINT{at.x, points.back().y});
        points.push_back(at);
    }
    HPEN pen = CreatePen(PS_SOLID, 1, series.colour);
    HGDIOBJ old = SelectObject(dc, pen);
    Polyline(dc, points.data(), int(points.size()));
    SelectObject(dc, old);
    DeleteObject(pen);
}

} // namespace

RECT ChartArea(int width, size_t count) {
    return RECT{0, 0, width, TITLE_HEIGHT + int(count) * STRIP_HEIGHT + AXIS_HEIGHT};
}

RECT StripRect(const RECT& area, size_t count, size_t index) {
    const int top = area.top + TITLE_HEIGHT;
    const int height = count ? (area.bottom - AXIS_HEIGHT - top) / int(count) : 0;
    return RECT{area.left + LABEL_WIDTH, top + int(index) * height, area.right - 10,
                top + int(index + 1) * height};
}

POINT ChartPoint(const StripChart& chart, const RECT& strip, size_t index, double seconds,
                 double value) {
    const ChartSeries& series = chart.series[index];
    const double span = chart.endSeconds - chart.startSeconds;
    const double across = span > 0 ? (seconds - chart.startSeconds) / span : 0;
    const double range = series.high - series.low;
    double up = range != 0 ? (value - series.low) / range : 0;
    up = std::min(1.0, std::max(0.0, up));
    const int width = strip.right - strip.left - 1;
    const int height = strip.bottom - strip.top - 1 - 2 * STRIP_GAP;
    return POINT{strip.left + int(std::lround(std::min(1.0, std::max(0.0, across)) * width)),
                 strip.bottom - 1 - STRIP_GAP - int(std::lround(up * height))};
}

void DrawStripChart(HDC dc, const RECT& area, const StripChart& chart) {
    Fill(dc, area, background);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ink);
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    Text(dc, area.left + 8, area.top + 4, chart.title);
    const size_t count = chart.series.size();
    DrawTimeAxis(dc, area, chart, count);
    for (size_t i = 0; i < count; ++i) {
        const RECT strip = StripRect(area, count, i);
        Frame(dc, strip, frame);
        Text(dc, area.left + 8, (strip.top + strip.bottom) / 2, chart.series[i].label,
             TA_LEFT | TA_BASELINE);
        DrawSeries(dc, chart, strip, i);
    }
    SelectObject(dc, oldFont);
}

std::vector<uint32_t> ChartPixels(const StripChart& chart, int width, int height) {
    std::vector<uint32_t> pixels;
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = -height; // top row first
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP picture = CreateDIBSection(dc, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (dc && picture && bits) {
        HGDIOBJ old = SelectObject(dc, picture);
        DrawStripChart(dc, RECT{0, 0, width, height}, chart);
        GdiFlush();
        const uint32_t* first = static_cast<const uint32_t*>(bits);
        pixels.assign(first, first + size_t(width) * height);
        SelectObject(dc, old);
    }
    if (picture)
        DeleteObject(picture);
    if (dc)
        DeleteDC(dc);
    return pixels;
}

} // namespace standin
