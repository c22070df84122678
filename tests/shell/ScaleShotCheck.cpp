// Reads a screenshot of the program and prints what a person would judge at
// a glance, for the end-to-end run on scaled screens:
//   plot FILE    "SIDE THICKNESS RED GREEN": the largest black square frame,
//                the rows and columns its edges cover, and the 8-connected
//                pieces of pure red and of pure green inside it;
//   glyphs FILE  the median height of the dark marks (the letters).
#include <QImage>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace
{
bool IsBlack(QRgb rgb)
{
    return qRed(rgb) < 40 && qGreen(rgb) < 40 && qBlue(rgb) < 40;
}

// The bounding boxes of the 8-connected pieces of the pixels that match.
template <typename Match>
std::vector<QRect> Pieces(const QImage& image, const QRect& area, Match match)
{
    std::vector<QRect> pieces;
    std::vector<char> seen(static_cast<std::size_t>(image.width()) * image.height(), 0);
    std::vector<QPoint> stack;
    for (int y = area.top(); y <= area.bottom(); ++y)
    {
        for (int x = area.left(); x <= area.right(); ++x)
        {
            if (seen[y * image.width() + x] || !match(image.pixel(x, y)))
                continue;
            QRect box(x, y, 1, 1);
            stack.push_back(QPoint(x, y));
            seen[y * image.width() + x] = 1;
            while (!stack.empty())
            {
                const QPoint pt = stack.back();
                stack.pop_back();
                box = box.united(QRect(pt, QSize(1, 1)));
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx)
                    {
                        const QPoint next(pt.x() + dx, pt.y() + dy);
                        if (!area.contains(next) || seen[next.y() * image.width() + next.x()] ||
                            !match(image.pixel(next)))
                            continue;
                        seen[next.y() * image.width() + next.x()] = 1;
                        stack.push_back(next);
                    }
            }
            pieces.push_back(box);
        }
    }
    return pieces;
}

int Plot(const QImage& image)
{
    // The frame's top edge: the longest black run of the picture.
    int nTop = -1, nLeft = 0, nSide = 0;
    for (int y = 0; y < image.height(); ++y)
    {
        for (int x = 0; x < image.width();)
        {
            int nEnd = x;
            while (nEnd < image.width() && IsBlack(image.pixel(nEnd, y)))
                ++nEnd;
            if (nEnd - x > nSide)
            {
                nTop = y, nLeft = x, nSide = nEnd - x;
            }
            x = nEnd + 1;
        }
    }
    if (nTop < 0 || nSide < 100 || nTop + nSide > image.height())
    {
        std::puts("none");
        return 1;
    }
    // The thickness of each edge, measured an eighth of the way along it.
    auto run = [&](int x, int y, int dx, int dy)
    {
        int n = 0;
        while (x >= 0 && y >= 0 && x < image.width() && y < image.height() &&
               IsBlack(image.pixel(x, y)))
            ++n, x += dx, y += dy;
        return n;
    };
    const int nEighth = nSide / 8;
    const int nRight = nLeft + nSide - 1, nBottom = nTop + nSide - 1;
    const int nThick[] = {run(nLeft + nEighth, nTop, 0, 1), run(nLeft + nEighth, nBottom, 0, -1),
                          run(nLeft, nTop + nEighth, 1, 0), run(nRight, nTop + nEighth, -1, 0)};
    const int nMin = *std::min_element(std::begin(nThick), std::end(nThick));
    const int nMax = *std::max_element(std::begin(nThick), std::end(nThick));
    const QRect inside(nLeft + nMax, nTop + nMax, nSide - 2 * nMax, nSide - 2 * nMax);
    const auto red = Pieces(image, inside, [](QRgb c) { return (c & 0xFFFFFF) == 0xFF0000; });
    const auto green = Pieces(image, inside, [](QRgb c) { return (c & 0xFFFFFF) == 0x008000; });
    std::printf("%d %d %zu %zu\n", nSide, nMin == nMax ? nMin : -1, red.size(), green.size());
    return 0;
}

int Glyphs(const QImage& image)
{
    const auto pieces = Pieces(image, image.rect(), [](QRgb c) { return qGray(c) < 110; });
    std::vector<int> heights;
    for (const QRect& box : pieces)
    {
        if (box.height() >= 3 && box.width() <= 3 * box.height() &&
            box.height() < image.height() / 4)
            heights.push_back(box.height());
    }
    if (heights.empty())
    {
        std::puts("none");
        return 1;
    }
    std::nth_element(heights.begin(), heights.begin() + heights.size() / 2, heights.end());
    std::printf("%d\n", heights[heights.size() / 2]);
    return 0;
}
} // namespace

int main(int argc, char* argv[])
{
    const QImage image = argc == 3 ? QImage(QString::fromLocal8Bit(argv[2])) : QImage();
    if (image.isNull())
    {
        std::fputs("usage: scale_shot_check plot|glyphs PNG\n", stderr);
        return 2;
    }
    return std::strcmp(argv[1], "plot") == 0 ? Plot(image) : Glyphs(image);
}
