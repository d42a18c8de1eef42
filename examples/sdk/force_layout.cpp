// A force-directed placement of a few hundred cells, each step written as one member of a
// numbered series (layout.1.las, layout.2.las, ...) and the last one shown in Vedra.
//
//     force_layout [--no-show] [--out FOLDER]
#include <vedra/dump.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace
{

constexpr int kCells = 300;
constexpr int kSteps = 50;
constexpr double kReach = 8.0;   // cells nearer than this push each other apart
constexpr double kSpring = 0.05; // pull of a net per unit of its length
constexpr double kPush = 4.0;    // push between two cells at unit distance
constexpr double kMove = 2.0;    // the largest move of a cell in one step

} // namespace

int main(int argc, char** argv)
{
    bool show = true;
    std::string out = "layout";
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--no-show")
            show = false;
        else if (arg == "--out" && i + 1 < argc)
            out = argv[++i];
        else {
            std::fprintf(stderr, "usage: %s [--no-show] [--out FOLDER]\n", argv[0]);
            return 2;
        }
    }

#ifdef VEDRA_BUILT_PROGRAM
    // Built with Vedra but nothing installed: the window started is the one built beside this.
    if (!std::getenv("VEDRA_PROGRAM") && std::system("command -v vedra >/dev/null 2>&1") != 0)
        ::setenv("VEDRA_PROGRAM", VEDRA_BUILT_PROGRAM, 0);
#endif

    std::mt19937 random(1);
    std::uniform_real_distribution<double> coordinate(0.0, 100.0);
    std::uniform_int_distribution<int> anyCell(0, kCells - 1);
    std::vector<vedra::Point> cells(kCells);
    for (vedra::Point& cell : cells)
        cell = {coordinate(random), coordinate(random)};
    std::vector<std::pair<int, int>> nets;
    for (int i = 0; i + 1 < kCells; ++i)
        nets.emplace_back(i, i + 1);
    for (int i = 0; i < kCells / 4; ++i)
        nets.emplace_back(anyCell(random), anyCell(random));

    // The folder is made with the first member. rect's cell is declared; the centre's energy is
    // declared by the writer (a number: double), so the window's pick matches both.
    vedra::Series series(out + "/layout");
    series.color("cell", 70, 130, 180).property("rect", "cell", vedra::Kind::String, "none");
    for (int step = 1; step <= kSteps; ++step) {
        std::vector<vedra::Point> force(kCells);
        for (const auto& [a, b] : nets) {
            const double dx = cells[b].x - cells[a].x, dy = cells[b].y - cells[a].y;
            force[a].x += kSpring * dx;
            force[a].y += kSpring * dy;
            force[b].x -= kSpring * dx;
            force[b].y -= kSpring * dy;
        }
        // A few hundred cells: every pair is cheap enough here.
        for (int i = 0; i < kCells; ++i) {
            for (int j = 0; j < kCells; ++j) {
                const double dx = cells[i].x - cells[j].x, dy = cells[i].y - cells[j].y;
                const double d2 = dx * dx + dy * dy;
                if (i != j && d2 > 0 && d2 < kReach * kReach) {
                    force[i].x += kPush * dx / d2;
                    force[i].y += kPush * dy / d2;
                }
            }
        }
        double energy = 0.0;
        vedra::Point centre;
        for (int i = 0; i < kCells; ++i) {
            const double length = std::hypot(force[i].x, force[i].y);
            const double scale = length > 0 ? std::min(1.0, kMove / length) : 0.0;
            cells[i].x += force[i].x * scale;
            cells[i].y += force[i].y * scale;
            energy += length * length;
            centre.x += cells[i].x / kCells;
            centre.y += cells[i].y / kCells;
        }

        vedra::Dump& dump = series.next();
        for (int i = 0; i < kCells; ++i) {
            const vedra::Point& c = cells[i];
            dump.rect({c.x - 1, c.y - 1}, {c.x + 1, c.y + 1}, "cell")
                .prop("cell", "c" + std::to_string(i));
        }
        for (const auto& [a, b] : nets)
            dump.line(cells[a], cells[b], "gray");
        dump.pt(centre, "red", vedra::Cross)
            .prop("energy", energy)
            .comment("step " + std::to_string(step))
            .comment("energy " + vedra::shortest(energy));
    }
    series.write();
    std::printf("%s\n", series.fileName().c_str());
    if (!show)
        return 0;
    if (!series.show())
        return 1;
    // The window keeps its view from file to file; the whole layout is brought into it once.
    vedra::request("fit");
    return 0;
}
