// The accumulation demonstrations' choice of the angles they show.
#ifndef RADON_ACCUMULATION_H
#define RADON_ACCUMULATION_H

// Whether the state after back-projecting angle iw is shown: every tenth of
// the half-turn and the last angle, eleven times on every grid.
bool accumulationShowsAngle(int iw);

#endif
