// The weapon interface and the player's weapon.
#include "weapon.h"

class weapon* weapon = nullptr;

weapon::~weapon() = default;
