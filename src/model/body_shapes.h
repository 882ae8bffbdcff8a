// Sizes of the shapes the arm, the work and the wall are drawn as; the exports describe the
// same shapes.
#pragma once

constexpr double kLinkRadius = 0.1;                        // link cylinders and their end balls
constexpr double kJointLength = 0.22, kJointRadius = 0.105;  // joint body along the joint axis
constexpr double kWorkX = 0.35, kWorkY = 0.3;              // work box across the work frame's z (Hwork along it)
constexpr double kWallLength = 4.0, kWallHeight = 7.5;     // each wall block beside the slit
