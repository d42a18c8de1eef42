// Every part of vedra/dump.h that a program instantiates, compiled with strict warnings as errors
// by each compiler (and built by a project that adds the library with add_subdirectory).
#include <vedra/dump.h>

#include <array>
#include <string>
#include <utility>
#include <vector>

int main(int argc, char** argv)
{
    vedra::Dump dump(argc > 1 ? argv[1] : "warnings.las");
    dump.color("grün", 1, 2, 3).property("pt", "net", vedra::Kind::String, "none");
    dump.pt(1, 2, "grün", vedra::Cross)
        .prop("net", "a1")
        .prop("int", 3)
        .prop("float", 2.5f)
        .prop("long", 7L)
        .prop("unsigned", 5u)
        .prop("long double", 1.5L)
        .search("net == a1")
        .comment("note");
    const std::vector<std::pair<double, double>> pairs{{1, 2}, {3, 4}};
    const std::vector<std::array<float, 2>> arrays{{1.f, 2.f}};
    dump.path(pairs, 3);
    dump.polygon(arrays, "navy");
    dump.path({{0, 0}, {1, 1}});
    dump.line({0, 0}, {1, 1});
    dump.rect({0, 0}, {1, 1});
    dump.circle({0, 0}, 2);
    vedra::Series series(argc > 2 ? argv[2] : "warnings");
    series.next().pt(vedra::Point{1, 2});
    std::string reason;
    if (argc > 3 && !series.show(reason))
        return 1;
    if (argc > 4 && (!dump.show() || !vedra::request("status")))
        return 1;
    return vedra::shortest(0.1) == "0.1" ? 0 : 1;
}
