#include "PrinterCalibration.h"

#include "App.h"

#include <algorithm>
#include <cmath>

namespace {

// The settings section of a printer's calibration: this and the printer's name.
const CString s_strSection = "Calibration ";

} // namespace

CPrinterCalibration::CPrinterCalibration() : m_sizeOffset(0, 0), m_sizeScale(0, 0), m_bVectorText(FALSE) {}

CPrinterCalibration CPrinterCalibration::Read(const CString& strPrinter)
{
    CPrinterCalibration calibration;
    CWinApp* pApp = AfxGetApp();
    if (!pApp || strPrinter.IsEmpty())
        return calibration;
    const CString strSection = s_strSection + strPrinter;
    const auto Read = [&](LPCTSTR lpszEntry, int nLimit) {
        return std::clamp((int)pApp->GetProfileInt(strSection, lpszEntry, 0), -nLimit, nLimit);
    };
    calibration.m_sizeOffset = CSize(Read("OffsetX", s_nMaxOffset), Read("OffsetY", s_nMaxOffset));
    calibration.m_sizeScale = CSize(Read("ScaleX", s_nMaxScale), Read("ScaleY", s_nMaxScale));
    calibration.m_bVectorText = Read("VectorText", 1) != 0;
    return calibration;
}

BOOL CPrinterCalibration::Write(const CString& strPrinter) const
{
    CWinApp* pApp = AfxGetApp();
    if (!pApp || strPrinter.IsEmpty())
        return FALSE;
    const CString strSection = s_strSection + strPrinter;
    const auto WriteUnlessZero = [&](LPCTSTR lpszEntry, int nValue) {
        return nValue != 0 ? pApp->WriteProfileInt(strSection, lpszEntry, nValue)
                           : pApp->WriteProfileString(strSection, lpszEntry, nullptr);
    };
    return pApp->WriteProfileInt(strSection, "OffsetX", m_sizeOffset.cx)
        && pApp->WriteProfileInt(strSection, "OffsetY", m_sizeOffset.cy) && WriteUnlessZero("ScaleX", m_sizeScale.cx)
        && WriteUnlessZero("ScaleY", m_sizeScale.cy) && WriteUnlessZero("VectorText", m_bVectorText ? 1 : 0);
}

int CPrinterCalibration::ScaleLength(int nLength, int nScale)
{
    return nLength + (int)std::lround((double)nLength * nScale / 10000.0);
}

int CPrinterCalibration::ScaleFromMeasure(int nMark, int nLanded)
{
    if (nMark <= 0)
        return 0;
    return (int)std::lround((double)(nMark - nLanded) * 10000.0 / nMark);
}
