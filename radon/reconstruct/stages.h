// Steps of the filtering and back-projection stages that the tests drive on
// their own.
#ifndef RADON_STAGES_H
#define RADON_STAGES_H

// The filtering's progress bar after projection iw, then a flush.
void drawFilterProgress(int iw);

// The back-projection of image row iy from the current fbp: in[ix] tells
// whether pixel ix lies inside the disc of radius xmax, fn[ix] is its value
// (set only inside). Draws nothing.
void backProjectRow(int iy, char *in, double *fn);

// Clear the canvas and draw the back-projection of the current fbp.
void drawBackProjection(void);

#endif
