// The grid of shots behind the hit test: cells found through a small open-addressing table, each cell's
// shots kept in list order, and the plain walk of the list wherever the grid would not pay.
#include "shot_grid.h"

#include "finite.h"

#include <algorithm>
#include <cassert>
#include <cmath>

namespace {
// About an enemy's diameter at scale 1: a sphere's box spans two or three cells a side.
constexpr double cell_size = 2.0;
// Cell coordinates are clamped to 21 bits each, so three of them pack into one key. Clamping keeps the
// mapping monotonic: a shot inside a box still lands in one of the box's cells.
constexpr std::int64_t coordinate_limit = (std::int64_t(1) << 20) - 1;
constexpr int coordinate_bits = 21;
constexpr std::uint64_t no_key = ~std::uint64_t(0);
// The box around a sphere is widened by more than any float rounding of the hit test could account for,
// so the grid never misses a shot that the test takes.
constexpr double relative_margin = 1e-4;
constexpr double absolute_margin = 1e-6;
constexpr std::uint64_t hash_multiplier = 0x9E3779B97F4A7C15ull;
// Below this many shots the plain walk costs less than building the grid.
constexpr size_t fewest_for_grid = 32;

std::int64_t cell_coordinate(double v) {
    const double c = std::floor(v / cell_size);
    return std::int64_t(std::clamp(c, -double(coordinate_limit), double(coordinate_limit)));
}

std::uint64_t pack(std::int64_t x, std::int64_t y, std::int64_t z) {
    const auto field = [](std::int64_t c) { return std::uint64_t(c + coordinate_limit + 1); };
    return field(x) | field(y) << coordinate_bits | field(z) << (2 * coordinate_bits);
}
} // namespace

void shot_grid::rebuild(shot_container& live) {
    list = &live;
    entries.clear();
    for (auto it = live.begin(); it != live.end(); ++it)
        entries.push_back(entry{it, (*it)->position, false});
    table.clear();
    if (entries.size() < fewest_for_grid)
        return;
    size_t size = 1;
    while (size < 2 * entries.size())
        size *= 2;
    table.assign(size, cell{no_key, 0, 0});
    compute_keys();
    fill_cells();
}

// Shots that are not finite are within no sphere of finite centre and radius: they get no cell.
void shot_grid::compute_keys() {
    keys.clear();
    for (int a = 0; a < 3; ++a) {
        lowest[a] = coordinate_limit;
        highest[a] = -coordinate_limit;
    }
    for (const entry& e : entries) {
        if (!is_finite(e.position)) {
            keys.push_back(no_key);
            continue;
        }
        std::int64_t c[3];
        for (int a = 0; a < 3; ++a) {
            c[a] = cell_coordinate(double(e.position[a]));
            lowest[a] = std::min(lowest[a], c[a]);
            highest[a] = std::max(highest[a], c[a]);
        }
        keys.push_back(pack(c[0], c[1], c[2]));
    }
}

// Counts the shots per cell, gives each cell its stretch of cell_shots, then fills the stretches in list
// order, so every cell lists its shots ascending.
void shot_grid::fill_cells() {
    for (std::uint64_t key : keys) {
        if (key != no_key)
            ++find(key, true)->end;
    }
    int next = 0;
    for (cell& c : table) {
        if (c.key == no_key)
            continue;
        c.begin = next;
        next += c.end;
        c.end = c.begin;
    }
    cell_shots.resize(size_t(next));
    for (size_t i = 0; i < keys.size(); ++i) {
        if (keys[i] != no_key)
            cell_shots[size_t(find(keys[i], false)->end++)] = indexed_shot{int(i), entries[i].position};
    }
}

shot_grid::cell* shot_grid::find(std::uint64_t key, bool insert) {
    const size_t mask = table.size() - 1;
    std::uint64_t h = key * hash_multiplier;
    for (size_t slot = size_t(h ^ (h >> 32)) & mask;; slot = (slot + 1) & mask) {
        if (table[slot].key == key)
            return &table[slot];
        if (table[slot].key == no_key) {
            if (!insert)
                return nullptr;
            table[slot].key = key;
            return &table[slot];
        }
    }
}

const shot_grid::cell* shot_grid::find(std::uint64_t key) const {
    return const_cast<shot_grid*>(this)->find(key, false);
}

bool shot_grid::within(int i, glm::vec3 centre, float radius) const {
    const entry& e = entries[size_t(i)];
    return !e.taken && radius > glm::length(centre - e.position);
}

int shot_grid::first_in_list(glm::vec3 centre, float radius) const {
    for (int i = 0; i < int(entries.size()); ++i) {
        if (within(i, centre, radius))
            return i;
    }
    return -1;
}

int shot_grid::first_within(glm::vec3 centre, float radius) const {
    // A length is never negative, so no radius up to 0 (nor NaN) takes a shot.
    if (!(radius > 0.0f))
        return -1;
    if (table.empty() || !is_finite(centre) || !std::isfinite(radius))
        return first_in_list(centre, radius);
    const double reach = double(radius) * (1.0 + relative_margin) + absolute_margin;
    std::int64_t low[3], high[3];
    double cells = 1.0;
    for (int a = 0; a < 3; ++a) {
        low[a] = std::max(lowest[a], cell_coordinate(double(centre[a]) - reach));
        high[a] = std::min(highest[a], cell_coordinate(double(centre[a]) + reach));
        // No finite shot is in the box; the others are within no finite sphere.
        if (low[a] > high[a])
            return -1;
        cells *= double(high[a] - low[a] + 1);
    }
    // A sphere larger than the shots are many: one test per shot costs less than one look-up per cell.
    if (cells > double(entries.size()))
        return first_in_list(centre, radius);
    // A shot whose squared distance passes this is farther than radius even after rounding.
    const double farthest_squared = double(radius) * double(radius) * (1.0 + relative_margin);
    int best = -1;
    for (std::int64_t x = low[0]; x <= high[0]; ++x) {
        for (std::int64_t y = low[1]; y <= high[1]; ++y) {
            for (std::int64_t z = low[2]; z <= high[2]; ++z) {
                if (const cell* c = find(pack(x, y, z)))
                    best = first_in_cell(*c, centre, radius, farthest_squared, best);
            }
        }
    }
    return best;
}

int shot_grid::first_in_cell(const cell& c, glm::vec3 centre, float radius, double farthest_squared,
                             int best) const {
    for (int k = c.begin; k < c.end; ++k) {
        const indexed_shot& s = cell_shots[size_t(k)];
        if (best >= 0 && s.index >= best)
            return best;
        const glm::vec3 d = centre - s.position;
        if (double(glm::dot(d, d)) > farthest_squared)
            continue;
        if (within(s.index, centre, radius))
            return s.index;
    }
    return best;
}

void shot_grid::take(int i) {
    entry& e = entries[size_t(i)];
    assert(!e.taken);
    list->erase(e.it);
    e.taken = true;
}
