// Owns every mesh the game draws: the four built-in solids and the imported boss model.
#pragma once

#include "mesh.h"

#include <vector>

class model_store {
  public:
    // Builds kinds 0-3 and imports "meshes/boss.dae"; needs a current GL context.
    model_store();
    virtual ~model_store();
    model_store(const model_store&) = delete;
    model_store& operator=(const model_store&) = delete;

    // The built-in solid of kind i (0-3).
    mesh* get(int i) const;

    std::vector<mesh*> meshes;
    mesh* boss = nullptr;
};

// The one model store, made by start-up and deleted by shutdown.
extern model_store* models;
