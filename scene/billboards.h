#pragma once
// Camera-facing quads drawn at the origin of the current modelview matrix.
// Each keeps only the translation of that matrix (its upper-left 3x3 block
// becomes the identity), so the quad stays square to the screen whatever the
// camera does, then scales by (sx, sy, 0) and draws corners (-1,-1), (1,-1),
// (1,1), (-1,1). The changed matrix is left in place: callers save and
// restore the matrix around these calls.

// Rotated by `angleDegrees` about the view axis (the scale applies first to
// the matrix, so the corners turn before they are scaled); texture 0..1.
void drawBillboard(double angleDegrees, double sx, double sy);
// As drawBillboard, with the texture repeated twice in each direction.
void drawBillboardTiled(double angleDegrees, double sx, double sy);
// Not rotated; texture 0..1.
void drawBillboardUpright(double sx, double sy);
