// All numerical solvers.
#pragma once
#include "solve/ijkinv.h"
#include "solve/matinv.h"
#include "solve/posorient.h"
#include "solve/tri.h"
