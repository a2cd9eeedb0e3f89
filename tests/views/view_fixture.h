// A Calculator-shaped result set the tests fill sample by sample, and a white image to draw on.
#pragma once

#include <QImage>
#include <QPainter>

#include <array>
#include <vector>

#include "views/canvas.h"
#include "views/viewinputs.h"

namespace view_fixture {

struct Results {
    int sampleCount = 97;
    std::array<std::vector<SatSample>, SatelliteCatalogue::kSize> samples;
    std::array<std::vector<float>, 5> dop;
    std::vector<int32_t> count, solution;
    ViewInputs in;

    explicit Results(int n = 97, int step = 900) : sampleCount(n) {
        for (auto& s : samples)
            s.assign(static_cast<size_t>(n), SatSample{});
        for (auto& d : dop)
            d.assign(static_cast<size_t>(n), 0.0f);
        count.assign(static_cast<size_t>(n), 0);
        solution.assign(static_cast<size_t>(n), 0);
        in.status.fill(StatusNoAlmanac);
        for (int s = 0; s < SatelliteCatalogue::kSize; ++s)
            in.samples[static_cast<size_t>(s)] = samples[static_cast<size_t>(s)].data();
        for (int k = 0; k < 5; ++k)
            in.dop[static_cast<size_t>(k)] = dop[static_cast<size_t>(k)].data();
        in.satelliteCount = count.data();
        in.solutionFlag = solution.data();
        in.intervalCount = n;
        in.step = step;
    }
    void Visible(int s, int from, int to) { // samples from..to inclusive
        in.status[static_cast<size_t>(s)] = 0;
        for (int j = from; j <= to; ++j)
            samples[static_cast<size_t>(s)][static_cast<size_t>(j)].visible = 1;
    }
    void Direction(int s, int j, double azDeg, double elDeg) {
        auto& p = samples[static_cast<size_t>(s)][static_cast<size_t>(j)];
        p.azimuth = static_cast<float>(azDeg / 57.29577951308232);
        p.elevation = static_cast<float>(elDeg / 57.29577951308232);
    }
};

inline QImage WhiteImage(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    return img;
}

inline QColor At(const QImage& img, int x, int y) {
    return QColor(img.pixel(x, y));
}

// How many pixels of a colour lie in a rectangle (device).
inline int CountColour(const QImage& img, QRect r, QColor c) {
    int n = 0;
    r = r.intersected(img.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (QColor(img.pixel(x, y)) == c)
                ++n;
    return n;
}

inline int CountNotWhite(const QImage& img, QRect r) {
    int n = 0;
    r = r.intersected(img.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (QColor(img.pixel(x, y)) != QColor(Qt::white))
                ++n;
    return n;
}

} // namespace view_fixture
