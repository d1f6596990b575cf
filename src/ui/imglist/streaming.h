// Colour values of window definitions as image lists store them: a colour with a name
// ("clWindow") as an identifier, any other as an integer.
#pragma once

#include "ui/forms/formreader.h"
#include "ui/graphics/graphics.h"

// An integer or a colour name; raises the reader's "Invalid property value" otherwise.
TColor ReadColorValue(const TfValue& v, TReaderContext& ctx);
TfValue ColorValue(TColor color);
