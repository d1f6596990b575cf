// The accessibility model (ui/access) through the system's interface on Windows: each
// window answers a client's request for its object with the tree of its form or menu, and
// focus, selection and structure changes go out as the system's window events.
#pragma once

// Call once, after the window system is open.
void StartSystemAccessibility();
