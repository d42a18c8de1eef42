// A program for the gdb command's test: one value of each shape the command reads by itself,
// containers of them, and a type it cannot read, all alive at the line marked "stop here".
// With a count argument it also holds that many points in `big`, for timing a large drawing.
#include <array>
#include <cstdlib>
#include <deque>
#include <list>
#include <utility>
#include <vector>

struct point {
    double x, y;
};
struct ipoint {
    int X, Y;
};
struct flipped {
    float y, x;
}; // y first in memory
struct box_corners {
    point min, max;
};
struct box_numbers {
    double x1, y1, x2, y2;
};
struct segment {
    point a, b;
};
struct circle {
    point c;
    double r;
};
struct opaque {
    int id;
    const char* name;
};

int main(int argc, char** argv)
{
    point p{1.5, -2};
    std::pair<double, double> pair{3, 4};
    double array[2] = {5, 6};
    box_corners corners{{0, 0}, {2, 1}};
    box_numbers numbers{4, 3, 1, 1};
    segment s{{0, 0}, {1, 0.25}};
    circle c{{1, 1}, 0.5};
    std::vector<point> path{{0, 0}, {1, 0}, {1, 1}, {0.5, 2}};
    std::list<point> list{{0, 0}, {-1, -1}};
    std::deque<point> deque{{2, 3}};
    std::vector<flipped> floats{{0.5f, 1}, {-2, 0.25f}};
    std::vector<std::vector<point>> nested{{{0, 0}, {1, 1}}, {{2, 2}}};
    const point& ref = p;
    std::vector<box_corners> boxes{{{0, 0}, {1, 1}}, {{2, 2}, {3, 4}}};
    std::array<ipoint, 3> ints{{{1, 2}, {3, 4}, {-5, 6}}};
    point carray[2] = {{7, 8}, {9, 10}};
    const point* raw = path.data();
    opaque unknown{1, "x"};
    std::vector<point> big(argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 0);
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = point{double(i), double(i % 1000) / 8};
    point moving{0, 0};
    moving.x = 1; // stop here
    moving.x = 2;
    moving.x = 3;
    return int(p.x + pair.first + array[0] + corners.min.x + numbers.x1 + s.a.x + c.r + path[0].x +
               list.front().x + deque[0].x + floats[0].x + nested[0][0].x + ref.x + boxes[0].min.x +
               ints[0].X + carray[0].x + raw->x + unknown.id + moving.x) &
           1;
}
