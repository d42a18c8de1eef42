#include "generatelas.h"

#include <cstdio>
#include <fstream>
#include <random>

namespace generatelas
{

namespace
{

// Coordinates with three decimals, as design tools commonly print them.
class Coordinates
{
public:
    double next() { return static_cast<double>(random() % 10000000) / 1000.0; }
    int below(int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); }

private:
    std::mt19937 random{12345};
};

} // namespace

void writeMixed(const std::string& path, int records)
{
    std::ofstream out(path, std::ios::binary);
    out << "# generated mixed benchmark input\n"
           "color c1 200 60 40\ncolor c2 30 130 90\ncolor c3 120 160 200\n"
           "property pt net string none\nproperty rect area double 0\n"
           "property path net string none\nproperty line w double 1\n"
           "property circle net string none\nproperty polygon layer string M1\nendheader\n";
    static const char* const colours[] = {"c1", "c2", "c3", "red", "blue", "navy", "teal", "7"};
    Coordinates c;
    char line[512];
    for (int i = 0; i < records; ++i) {
        const char* colour = colours[c.below(8)];
        const double x = c.next(), y = c.next();
        switch (i % 6) {
        case 0:
            std::snprintf(line, sizeof line,
                          "pt %.3f %.3f %s %d net n%d !! pt:net==n%d // pin %d\n", x, y, colour,
                          c.below(8), c.below(5000), c.below(5000), i);
            break;
        case 1:
            std::snprintf(line, sizeof line, "line %.3f %.3f %.3f %.3f %s w %d\n", x, y,
                          x + c.below(200) / 10.0, y + c.below(200) / 10.0, colour, c.below(4));
            break;
        case 2:
            std::snprintf(line, sizeof line,
                          "rect %.3f %.3f %.3f %.3f %s area %d cell u%d // cell %d\n", x, y,
                          x + 1 + c.below(300) / 10.0, y + 1 + c.below(300) / 10.0, colour,
                          c.below(900), i, i);
            break;
        case 3:
            std::snprintf(line, sizeof line, "circle %.3f %.3f %.3f %s net n%d\n", x, y,
                          0.5 + c.below(50) / 10.0, colour, c.below(5000));
            break;
        case 4:
            std::snprintf(line, sizeof line,
                          "path 4 %.3f %.3f %.3f %.3f %.3f %.3f %.3f %.3f %s net n%d !! "
                          "path:net==n%d#pt:net==n%d\n",
                          x, y, x + 5, y, x + 5, y + 7, x + 9, y + 7, colour, c.below(5000),
                          c.below(5000), c.below(5000));
            break;
        default:
            std::snprintf(line, sizeof line,
                          "polygon 5 %.3f %.3f %.3f %.3f %.3f %.3f %.3f %.3f %.3f %.3f %s layer "
                          "M%d // region %d#second line\n",
                          x, y, x + 8, y, x + 10, y + 6, x + 4, y + 9, x - 2, y + 5, colour,
                          1 + c.below(4), i);
            break;
        }
        out << line;
    }
}

void writeRectangles(const std::string& path, int records)
{
    std::ofstream out(path, std::ios::binary);
    out << "endheader\n";
    Coordinates c;
    char line[160];
    for (int i = 0; i < records; ++i) {
        const double x = c.next(), y = c.next();
        std::snprintf(line, sizeof line, "rect %.3f %.3f %.3f %.3f blue\n", x, y,
                      x + 1 + c.below(300) / 10.0, y + 1 + c.below(300) / 10.0);
        out << line;
    }
}

void writePaths(const std::string& path, int records, int vertices)
{
    std::ofstream out(path, std::ios::binary);
    out << "endheader\n";
    Coordinates c;
    std::string line;
    char number[32];
    for (int i = 0; i < records; ++i) {
        double x = c.next(), y = c.next();
        line = "path " + std::to_string(vertices);
        for (int k = 0; k < vertices; ++k) {
            std::snprintf(number, sizeof number, " %.3f %.3f", x, y);
            line += number;
            x += (c.below(60001) - 30000) / 1000.0;
            y += (c.below(60001) - 30000) / 1000.0;
        }
        line += " navy\n";
        out << line;
    }
}

} // namespace generatelas
