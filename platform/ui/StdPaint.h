// The classic look of the standard controls' parts, drawn in one place so that every control
// shows the same bevels, boxes and glyphs: button faces, check boxes, radio buttons, arrows,
// the size grip, the tree's expand buttons, group frames and disabled text. Everything is
// drawn with the system colours on a TCanvas (Graphics.h); the controls in StdCtrls.h,
// ExtCtrls.h, Buttons.h, ComCtrls.h and Grids.h call these instead of drawing their own.
#pragma once

#include "platform/graphics/Graphics.h"

enum TPaintStateElement {
  psPushed,   // held down by the mouse or the space bar
  psChecked,  // a check mark, a radio dot, or a latched-down button
  psGrayed,   // the third state of a check box
  psDisabled, // drawn in the disabled colours
  psHot,      // the pointer is over a flat button
  psFocused,  // the control has the focus (a push button's face is framed)
  psDefault,  // the button Enter presses (framed in the window-frame colour)
  psFlat      // a flat button: no bevel unless hot, pushed or latched
};
using TPaintState = TSet<TPaintStateElement>;

enum TArrowDirection { adUp, adDown, adLeft, adRight };

// The side of a check box and of a radio button.
constexpr Integer cCheckBoxSize = 13;

// A push button's face in Bounds: the fill, the default frame, the bevel (raised; sunken
// while pushed; a latched button dithered), or for a flat button only what its state asks.
// Returns the rectangle left for the content, shifted one pixel down and right while pushed.
TRect PaintButtonFace(TCanvas* Canvas, const TRect& Bounds, TPaintState State);
// A check box (13 x 13) with its mark: checked, grayed or empty; pushed and disabled boxes
// have a face-coloured inside.
void PaintCheckBox(TCanvas* Canvas, const TRect& Box, TPaintState State);
// A radio button (13 x 13): a sunken circle with a dot when checked.
void PaintRadioButton(TCanvas* Canvas, const TRect& Box, TPaintState State);
// A solid arrow (triangle) pointing Direction, centred in Area; its size follows the area
// (3 to 6 rows).
void PaintArrow(TCanvas* Canvas, const TRect& Area, TArrowDirection Direction, TColor Color);
// A push-button face with an arrow on it (combo boxes, up-down buttons, scroll buttons).
void PaintArrowButton(TCanvas* Canvas, const TRect& Bounds, TArrowDirection Direction,
                      TPaintState State);
// The diagonal ridges of a size grip in the bottom-right corner of Area.
void PaintSizeGrip(TCanvas* Canvas, const TRect& Area);
// The box with a plus (collapsed) or a minus (expanded) that opens a tree node, centred on
// Center, 9 x 9.
void PaintExpandButton(TCanvas* Canvas, TPoint Center, bool Expanded);
// An etched frame around Bounds with Caption cut into its top edge at the left (a group
// box); the caption is drawn in the canvas's font. Returns the frame's rectangle.
TRect PaintGroupFrame(TCanvas* Canvas, const TRect& Bounds, const AnsiString& Caption,
                      bool Enabled);
// DrawText in the canvas's font colour, or embossed (highlight under shadow) when disabled.
void PaintText(TCanvas* Canvas, const AnsiString& Text, TRect Rect, Cardinal Format, bool Enabled);
// Fills Rect with the half-tone of two colours, pixel by pixel as a checkerboard (the latched
// button's background and the scroll bar's pressed track).
void PaintDither(TCanvas* Canvas, const TRect& Rect, TColor Light, TColor Dark);
