// The GL context of the window and the render state every frame relies on.
#pragma once

// Makes the window's double-buffered context current, sets the fixed state, then the viewport
// and projection for width x height. The colour depth asked for is that of the first call.
void EnableOpenGL(int width, int height, int bits);

// Restores the display mode, shows the cursor and releases the context.
void DisableOpenGL();

// Light 0 (a directional light from above, fixed in eye space) and the light model.
void SetLight();

// The material of everything drawn; glColor sets its ambient and diffuse from here on.
void SetMaterial();

// Viewport and projection for a drawable of width x height (a height of 0 counts as 1);
// leaves the model-view matrix current and the identity.
void Sahne_tekrarciz(int width, int height);
