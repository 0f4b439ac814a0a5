// Captions of controls placed at fixed sizes: another machine's fonts may be wider than the ones
// the forms were drawn with, and a caption cut at its control's edge reads as another word.
#pragma once

class QWidget;

namespace ktv31 {

// How many pixels the caption of a label or push button needs beyond the control's width;
// 0 or less when it shows whole. Other controls, and labels that wrap or show a picture, need
// nothing.
int CaptionOverflow(const QWidget &control);

// Narrows the letter spacing of every caption of `form` that does not show whole, just enough
// for it to fit (to nine tenths at most); controls inside layouts are sized by them and left.
void FitCaptions(QWidget &form);

} // namespace ktv31
