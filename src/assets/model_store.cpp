// Owner of every mesh the game draws: the four built-in solids and the imported boss.
#include "model_store.h"

#include <cassert>

model_store* models = nullptr;

namespace {
const char* const boss_path = "meshes/boss.dae";
} // namespace

model_store::model_store() {
    for (int kind = 0; kind < built_in_solid_kinds; ++kind)
        meshes.push_back(new mesh(kind));
    boss = new mesh(std::string(boss_path));
}

model_store::~model_store() {
    for (mesh* m : meshes)
        delete m;
    meshes.clear();
    delete boss;
    boss = nullptr;
}

mesh* model_store::get(int i) const {
    assert(i >= 0 && i < built_in_solid_kinds);
    return meshes[size_t(i)];
}
