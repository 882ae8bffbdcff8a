// The goal calculation's entries as the keys call them. Before an entry, the goal calculation
// learns the floor rule of the path phase under way; after it, what it asked of the path (a new
// final pose voids the old path) is passed on to the path record.
#pragma once

struct Scene;

void enterSetcalA(Scene& s);
void enterCalAa(Scene& s);
void enterCalAb(Scene& s);
