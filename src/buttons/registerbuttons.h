// What a written window definition stores of a painted or image button.
#pragma once

#include <vector>

#include "ui/core/classes.h"
#include "ui/forms/formdoc.h"

// The button's own properties that differ from a new button's, in the order a definition
// lists them. An image button's roles, modal result and glyph are stored only while its
// Kind is bkCustom (a stock kind implies them), its Kind only when it is not.
std::vector<TfProperty> StoredButtonProperties(TPersistent* button);
// Whether the caption is stored: for an image button only when it differs from its
// kind's caption (for bkCustom: when not empty); for other buttons when not empty.
bool ButtonCaptionStored(TPersistent* button);
