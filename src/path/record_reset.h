// Emptying the path record, in one place with one meaning.
#pragma once

struct Scene;

// The record holds no rows any more: the rows, the review and playback indices, the end and
// resume flags, the shortened motion and a stop of the row gate start over. The phase and the
// trial count of the B-calculation stay: each caller says what else starts over.
void emptyPathRecord(Scene& s);

// Passes on what the goal calculation asked when its entry returned (pathAsk): the B trials
// start again from the first, and for a new final pose the record is emptied and no phase is
// under way. Clears the ask.
void takePathAsk(Scene& s);
