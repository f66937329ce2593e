// A uniform grid over the live shots, rebuilt once per update, so that each enemy tests only the shots
// near it and still takes the first one in list order that the plain walk of the list would take.
#pragma once

#include "shot.h"

#include <cstdint>
#include <glm/glm.hpp>
#include <vector>

class shot_grid {
  public:
    // Indexes every shot of live by its position in the list. Until the next rebuild the shots must not
    // move and none may be added; they leave the list only through take.
    void rebuild(shot_container& live);
    // The list position of the first shot not yet taken with radius > length(centre - position), the
    // very test of the plain walk; -1 when there is none.
    int first_within(glm::vec3 centre, float radius) const;
    // Erases the shot at list position i from the list; later searches skip it.
    void take(int i);

  private:
    struct entry {
        shot_container::iterator it;
        glm::vec3 position;
        bool taken;
    };
    // A shot as its cell lists it: its list position and, close at hand, its position in the world.
    struct indexed_shot {
        int index;
        glm::vec3 position;
    };
    // The shots of one cell are cell_shots[begin] to cell_shots[end - 1], in list order.
    struct cell {
        std::uint64_t key;
        int begin;
        int end;
    };

    bool within(int i, glm::vec3 centre, float radius) const;
    int first_in_list(glm::vec3 centre, float radius) const;
    // The first shot of c within the sphere that comes before best in the list, else best; shots whose
    // squared distance exceeds farthest_squared are passed over without the exact test.
    int first_in_cell(const cell& c, glm::vec3 centre, float radius, double farthest_squared, int best) const;
    // The cell holding key, or null; with insert, makes an empty one when there is none.
    cell* find(std::uint64_t key, bool insert);
    const cell* find(std::uint64_t key) const;
    // The cell key of every entry and the range of cells that hold shots.
    void compute_keys();
    void fill_cells();

    shot_container* list = nullptr;
    std::vector<entry> entries;
    std::vector<std::uint64_t> keys;
    std::vector<cell> table;
    std::vector<indexed_shot> cell_shots;
    // The range of cells that hold shots, per axis.
    std::int64_t lowest[3] = {0, 0, 0};
    std::int64_t highest[3] = {0, 0, 0};
};
