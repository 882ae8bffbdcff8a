// Choice of one pass-out pose among the candidates of a generation: the filter stages, the
// envelopes of the recorded cycles, and the check of the links against the wall faces.
#pragma once
#include "core/types.h"
struct Scene;

// Filter stages (1E)..(6LU) over sols[0..n-1]; qBest the chosen pose. Returns 1, or 0 with
// JColl (the blocking joint of stage (2C)).
int SelectSlitPassSolT(Scene& s, const double* q0, int n, const double (*sols)[JV], double* qBest, int& JColl);
// Envelope of the newest cycle NPATHth (from qIPATHth).
void recordPassEnvelope(Scene& s);
// Links of q against the wall faces and the floor: 0 when every link between consecutive joint
// points crosses the near and far faces within 0.1 of rhx and the joints up to MW keep the
// floor clearance; otherwise the index of the first offending link (its end joint).
int slitLinkCheck(Scene& s, const double* q);
