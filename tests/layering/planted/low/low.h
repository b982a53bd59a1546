#pragma once
// Planted: a lower layer that reaches up.
#include "high/high.h"
