// The COM base shape. The stand-in's interfaces are plain records with non-virtual members, so
// this only names the type that "no outer object" arguments take.
#pragma once

#include "windows.h"

struct IUnknown;
