// The path record of the reverse path generation and the playback state of the motion.
#pragma once
#include "core/types.h"

constexpr int NMAX = 3000;

struct PathState {
    double qIPATH[NMAX][JV] = {};
    int NPATH = 0;
    Vec3 rwIPATH[NMAX] = {};
    Vec3 JpIPATH[NMAX] = {};
    // Work point of the straight initial pose, the end of the reverse path (z = 7.4 for every
    // robot of the catalogue).
    Vec3 rwInit = {{0.0, 0.0, 7.4}};
    int MpTrack = 0;
    double qSIPATH[NMAX][JV] = {};
    double qPATH[NMAX][JV] = {};
    Vec3 rwPATH[NMAX] = {};
    char sgnNMAX = 'U';
    int sgnPATH = 0;
    int sgnPATHEnd = 0;
    int NPATHmax = 0;
    int nMOVE = 0;
    char sgnMOVE = 'M';
    int dirMOVE = 1;
    int nBACK = 0;
    int sgnMColl = 1;
    int cntBTrial = 0;
    int sgnBResume = 0;
    int sgnPATHSave = 0;
    double qIPATHth[NMAX][JV] = {};
    int NPATHth = 0;
};
