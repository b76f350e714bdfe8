// CPrinterCalibration: how the pages printed on one printer are corrected so that they land on
// the pre-printed form, kept in the user's settings under the printer's name. A printer may
// feed each sheet a little off (the offset), stretch or shrink it a little across or down the
// sheet (the scale), and print small text more sharply when it gets the text itself rather
// than the preview's 254 dpi picture of it (vector text). A page is stretched by the scale
// about its own top-left corner, where the test page's rulers start, and then moved by the
// offset.
#pragma once

#include "Geometry.h"
#include "String.h"

class CPrinterCalibration {
public:
    CPrinterCalibration();

    CSize m_sizeOffset;   // 0.1 mm, right and down positive; within +-s_nMaxOffset
    CSize m_sizeScale;    // 0.1 per mille across and down, longer positive; within +-s_nMaxScale
    BOOL m_bVectorText;   // the texts go to the printer as text, drawn at its resolution

    static constexpr int s_nMaxOffset = 500;   // 50 mm
    static constexpr int s_nMaxScale = 200;    // 20 per mille

    // The printer's calibration; none (nothing moved, stretched or drawn as text) for a
    // printer that has none, or without a name. Values out of range are brought within it.
    static CPrinterCalibration Read(const CString& strPrinter);
    // Keeps it for the printer. Only what differs from no calibration is kept beside the
    // offsets, so a printer calibrated by its offsets alone has the entries it always had.
    BOOL Write(const CString& strPrinter) const;

    // nLength device units stretched by nScale tenths of a per mille, to the nearest unit;
    // nLength itself when nScale is 0.
    static int ScaleLength(int nLength, int nScale);
    // The scale, in tenths of a per mille, that corrects a ruler mark nMark long (0.1 mm)
    // measured on paper at nLanded: "the 200 mm mark landed at 201.5 mm" is -75 (-7.5 per mille).
    static int ScaleFromMeasure(int nMark, int nLanded);
};
