#include "CommonDialogs.h"

#include "App.h"
#include "Codec.h"
#include "Resource.h"
#include "Dialog.h"
#include "Font.h"
#include "Testing.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QIntValidator>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStandardPaths>
#include <QStringList>
#include <cstring>

namespace {

// The '|' separators of a filter become NULs; a '|' that is the second byte of a Chinese
// character stays.
CString FilterWithNuls(LPCTSTR lpszFilter)
{
    CString str(lpszFilter);
    for (int i = 0; i < str.GetLength();) {
        const int nChar = AfxCharLength((LPCTSTR)str + i, (size_t)(str.GetLength() - i));
        if (nChar == 1 && str[i] == '|')
            str.SetAt(i, '\0');
        i += nChar;
    }
    return str;
}

// Pairs "description\0pattern\0 ... \0" in Qt's form.
QString QtFilterFromPairs(const char* pch, int nLength)
{
    QStringList filters;
    int i = 0;
    while (i < nLength && pch[i] != '\0') {
        const int nDesc = (int)std::strlen(pch + i);
        const QString strDesc = Codec::ToUnicode(pch + i, nDesc);
        i += nDesc + 1;
        if (i >= nLength)
            break;
        const int nPattern = (int)std::strlen(pch + i);
        QString strPattern = Codec::ToUnicode(pch + i, nPattern);
        i += nPattern + 1;
        strPattern.replace(u';', u' ');
        filters << strDesc + QStringLiteral(" (") + strPattern.simplified() + u')';
    }
    return filters.join(QStringLiteral(";;"));
}

QWidget* OwnerWidget(CWnd* pParentWnd)
{
    CWnd* pOwner = pParentWnd ? pParentWnd : AfxGetMainWnd();
    if (pOwner && pOwner->GetSafeHwnd())
        return pOwner->GetSafeHwnd()->window();
    return QApplication::activeModalWidget() ? QApplication::activeModalWidget()
                                             : QApplication::activeWindow();
}

CString StripDot(LPCTSTR lpszDefExt)
{
    CString strExt(lpszDefExt);
    while (!strExt.IsEmpty() && strExt[0] == '.')
        strExt = strExt.Mid(1);
    return strExt;
}

// The folder a file dialog starts in: the one asked for when it is a folder, else the user's
// documents folder (XDG_DOCUMENTS_DIR), else the home folder.
CString StartingFolder(LPCTSTR lpszInitialDir)
{
    const QString strAsked = Codec::ToUnicode(CString(lpszInitialDir));
    if (!strAsked.isEmpty() && QFileInfo(strAsked).isDir())
        return CString(lpszInitialDir);
    const QString strDocuments = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return Codec::FromUnicode(QFileInfo(strDocuments).isDir() ? strDocuments : QDir::homePath());
}

} // namespace

int AfxMessageBox(LPCTSTR lpszText, UINT nType, UINT)
{
    if (!(nType & MB_ICONMASK)) {
        const UINT nButtons = nType & MB_TYPEMASK;
        nType |= nButtons == MB_YESNO || nButtons == MB_YESNOCANCEL ? MB_ICONQUESTION : MB_ICONEXCLAMATION;
    }
    LPCTSTR lpszCaption = AfxGetAppName();
    return MessageBox(lpszText, *lpszCaption ? lpszCaption : nullptr, nType);
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT nIDHelp)
{
    CString strPrompt;
    strPrompt.LoadString(nIDPrompt);
    return AfxMessageBox(strPrompt, nType, nIDHelp == (UINT)-1 ? nIDPrompt : nIDHelp);
}

// CFileDialog.

CFileDialog::CFileDialog(BOOL bOpenFileDialog, LPCTSTR lpszDefExt, LPCTSTR lpszFileName,
                         DWORD dwFlags, LPCTSTR lpszFilter, CWnd* pParentWnd)
    : m_bOpenFileDialog(bOpenFileDialog), m_pParentWnd(pParentWnd)
{
    m_ofn.Flags = dwFlags | OFN_EXPLORER;
    if (lpszDefExt) {
        m_strDefExt = lpszDefExt;
        m_ofn.lpstrDefExt = m_strDefExt;
    }
    if (lpszFileName)
        std::strncpy(m_szFileName, lpszFileName, sizeof m_szFileName - 1);
    m_ofn.lpstrFile = m_szFileName;
    m_ofn.nMaxFile = sizeof m_szFileName;
    if (lpszFilter) {
        m_strFilterText = lpszFilter;
        m_strFilter = FilterWithNuls(lpszFilter);
        m_ofn.lpstrFilter = m_strFilter;
    }
}

QString CFileDialog::QtFilter(LPCTSTR lpszFilter)
{
    if (!lpszFilter)
        return QString();
    const CString strPairs = FilterWithNuls(lpszFilter);
    return QtFilterFromPairs(strPairs, strPairs.GetLength());
}

CString CFileDialog::WithDefaultExt(const CString& strPath, LPCTSTR lpszDefExt)
{
    const CString strExt = StripDot(lpszDefExt);
    const CString strName = strPath.Mid(strPath.ReverseFind('/') + 1);
    if (strExt.IsEmpty() || strName.IsEmpty() || strName.Find('.') >= 0)
        return strPath;
    return strPath + "." + strExt;
}

INT_PTR CFileDialog::DoModal()
{
    Testing::FileDialogCall call {m_bOpenFileDialog != FALSE, CString(m_ofn.lpstrDefExt),
                                  CString(m_ofn.lpstrFile), m_strFilterText,
                                  StartingFolder(m_ofn.lpstrInitialDir), m_ofn.Flags};
    if (Testing::CFileDialogAnswerer* pAnswerer = Testing::CFileDialogAnswerer::Active()) {
        CString strPath;
        if (!pAnswerer->Answer(call, strPath))
            return IDCANCEL;
        return Finish(WithDefaultExt(strPath, m_ofn.lpstrDefExt));
    }

    const QString strTitle = m_ofn.lpstrTitle ? Codec::ToUnicode(CString(m_ofn.lpstrTitle))
        : m_bOpenFileDialog ? QString::fromUtf16(u"打开") : QString::fromUtf16(u"另存为");
    // The desktop's own file dialog where the platform offers one, else Qt's.
    QFileDialog dlg(OwnerWidget(m_pParentWnd), strTitle, Codec::ToUnicode(call.strInitialDir));
    dlg.setAcceptMode(m_bOpenFileDialog ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dlg.setFileMode(m_bOpenFileDialog ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (!m_bOpenFileDialog && !(m_ofn.Flags & OFN_OVERWRITEPROMPT))
        dlg.setOption(QFileDialog::DontConfirmOverwrite);
    if (m_ofn.lpstrFilter) {
        int nLength = 0;   // the pairs end with an empty string
        while (m_ofn.lpstrFilter[nLength] != '\0' || m_ofn.lpstrFilter[nLength + 1] != '\0')
            ++nLength;
        dlg.setNameFilter(QtFilterFromPairs(m_ofn.lpstrFilter, nLength + 1));
    }
    const CString strExt = StripDot(m_ofn.lpstrDefExt);
    if (!strExt.IsEmpty())
        dlg.setDefaultSuffix(Codec::ToUnicode(strExt));
    if (!call.strFileName.IsEmpty())
        dlg.selectFile(Codec::ToUnicode(call.strFileName));
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return IDCANCEL;
    return Finish(WithDefaultExt(Codec::FromUnicode(dlg.selectedFiles().first()), m_ofn.lpstrDefExt));
}

// The chosen path must fit the caller's buffer, NUL included, as the window system demands.
INT_PTR CFileDialog::Finish(const CString& strPath)
{
    if (!m_ofn.lpstrFile || (DWORD)strPath.GetLength() >= m_ofn.nMaxFile)
        return IDCANCEL;
    std::memcpy(m_ofn.lpstrFile, (LPCTSTR)strPath, (size_t)strPath.GetLength() + 1);
    return IDOK;
}

CString CFileDialog::GetPathName() const
{
    return CString(m_ofn.lpstrFile);
}

CString CFileDialog::GetFileName() const
{
    const CString strPath = GetPathName();
    return strPath.Mid(strPath.ReverseFind('/') + 1);
}

CString CFileDialog::GetFileExt() const
{
    const CString strName = GetFileName();
    const int nDot = strName.ReverseFind('.');
    return nDot < 0 ? CString() : strName.Mid(nDot + 1);
}

CString CFileDialog::GetFileTitle() const
{
    const CString strName = GetFileName();
    const int nDot = strName.ReverseFind('.');
    return nDot < 0 ? strName : strName.Left(nDot);
}

// The font dialog.

namespace {

const int s_arrPointSizes[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};

// The face name in the system's bytes, cut at 31 bytes but never inside a character.
void SetFaceName(LOGFONT& lf, const QString& strFace)
{
    const CString strBytes = Codec::FromUnicode(strFace);
    const int nLength = AfxWholeCharsLength(strBytes, strBytes.GetLength(), LF_FACESIZE - 1);
    std::memset(lf.lfFaceName, 0, sizeof lf.lfFaceName);
    std::memcpy(lf.lfFaceName, (LPCTSTR)strBytes, (size_t)nLength);
}

// The dialog's window: faces, styles and sizes in lists, the effects, a sample.
class CFontChooser : public QDialog {
public:
    CFontChooser(QWidget* pParent, const LOGFONT* plfInitial, bool bEffects) : QDialog(pParent)
    {
        setWindowTitle(QString::fromUtf16(u"字体"));
        auto* pLayout = new QGridLayout(this);
        m_pFaces = new QListWidget;
        m_pFaces->setObjectName("faceList");
        m_pFaces->addItems(Font::ChineseFaceNames());
        m_pFaces->addItems(QFontDatabase::families());
        m_pStyles = new QListWidget;
        m_pStyles->setObjectName("styleList");
        m_pStyles->addItems({QString::fromUtf16(u"常规"), QString::fromUtf16(u"斜体"),
                             QString::fromUtf16(u"粗体"), QString::fromUtf16(u"粗斜体")});
        m_pSize = new QComboBox;
        m_pSize->setObjectName("sizeBox");
        m_pSize->setEditable(true);
        m_pSize->setValidator(new QIntValidator(1, 1638, m_pSize));
        for (int nSize : s_arrPointSizes)
            m_pSize->addItem(QString::number(nSize));
        pLayout->addWidget(new QLabel(QString::fromUtf16(u"字体(&F):")), 0, 0);
        pLayout->addWidget(new QLabel(QString::fromUtf16(u"字形(&Y):")), 0, 1);
        pLayout->addWidget(new QLabel(QString::fromUtf16(u"大小(&S):")), 0, 2);
        pLayout->addWidget(m_pFaces, 1, 0);
        pLayout->addWidget(m_pStyles, 1, 1);
        pLayout->addWidget(m_pSize, 1, 2, Qt::AlignTop);
        m_pStrikeOut = new QCheckBox(QString::fromUtf16(u"删除线(&K)"));
        m_pUnderline = new QCheckBox(QString::fromUtf16(u"下划线(&U)"));
        auto* pEffects = new QGroupBox(QString::fromUtf16(u"效果"));
        auto* pEffectsLayout = new QVBoxLayout(pEffects);
        pEffectsLayout->addWidget(m_pStrikeOut);
        pEffectsLayout->addWidget(m_pUnderline);
        pEffects->setVisible(bEffects);
        pLayout->addWidget(pEffects, 2, 0);
        m_pSample = new QLabel(QString::fromUtf16(u"AaBbYyZz 微软中文"));
        m_pSample->setObjectName("sample");
        m_pSample->setMinimumSize(200, 60);
        m_pSample->setAlignment(Qt::AlignCenter);
        m_pSample->setFrameShape(QFrame::StyledPanel);
        pLayout->addWidget(m_pSample, 2, 1, 1, 2);
        m_pButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        m_pButtons->button(QDialogButtonBox::Ok)->setText(QString::fromUtf16(u"确定"));
        m_pButtons->button(QDialogButtonBox::Cancel)->setText(QString::fromUtf16(u"取消"));
        pLayout->addWidget(m_pButtons, 3, 0, 1, 3);
        connect(m_pButtons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(m_pButtons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        connect(m_pFaces, &QListWidget::currentRowChanged, this, [this] { Update(); });
        connect(m_pStyles, &QListWidget::currentRowChanged, this, [this] { Update(); });
        connect(m_pSize, &QComboBox::currentTextChanged, this, [this] { Update(); });
        connect(m_pStrikeOut, &QCheckBox::toggled, this, [this] { Update(); });
        connect(m_pUnderline, &QCheckBox::toggled, this, [this] { Update(); });
        m_pStyles->setCurrentRow(0);
        m_pSize->setCurrentText(QStringLiteral("12"));
        if (plfInitial)
            Select(*plfInitial);
        Update();
    }

    // The font as the dialog shows it; the face name as listed.
    LOGFONT LogFont() const
    {
        LOGFONT lf {};
        const int nStyle = std::max(0, m_pStyles->currentRow());
        lf.lfHeight = -MulDivPoints(PointSize());
        lf.lfWeight = nStyle >= 2 ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = (nStyle % 2) ? 1 : 0;
        lf.lfUnderline = m_pUnderline->isChecked() ? 1 : 0;
        lf.lfStrikeOut = m_pStrikeOut->isChecked() ? 1 : 0;
        lf.lfCharSet = DEFAULT_CHARSET;
        if (m_pFaces->currentItem())
            SetFaceName(lf, m_pFaces->currentItem()->text());
        return lf;
    }

    int PointSize() const { return std::max(1, m_pSize->currentText().toInt()); }

private:
    static int MulDivPoints(int nPoints) { return (nPoints * 96 + 36) / 72; }

    void Select(const LOGFONT& lf)
    {
        char szFace[LF_FACESIZE + 1] = {};
        std::memcpy(szFace, lf.lfFaceName, LF_FACESIZE);
        const QString strFace = Codec::ToUnicode(szFace, (int)std::strlen(szFace));
        const QList<QListWidgetItem*> found = m_pFaces->findItems(strFace, Qt::MatchFixedString);
        if (!found.isEmpty())
            m_pFaces->setCurrentItem(found.first());
        const int nStyle = (lf.lfWeight >= FW_BOLD ? 2 : 0) + (lf.lfItalic ? 1 : 0);
        m_pStyles->setCurrentRow(nStyle);
        if (lf.lfHeight != 0)
            m_pSize->setCurrentText(QString::number((std::abs((int)lf.lfHeight) * 72 + 48) / 96));
        m_pStrikeOut->setChecked(lf.lfStrikeOut != 0);
        m_pUnderline->setChecked(lf.lfUnderline != 0);
    }

    // OK needs a face; the sample shows the font chosen so far.
    void Update()
    {
        m_pButtons->button(QDialogButtonBox::Ok)->setEnabled(m_pFaces->currentItem() != nullptr);
        if (m_pFaces->currentItem())
            m_pSample->setFont(Font::FromLogFont(LogFont()));
    }

    QListWidget* m_pFaces;
    QListWidget* m_pStyles;
    QComboBox* m_pSize;
    QCheckBox* m_pStrikeOut;
    QCheckBox* m_pUnderline;
    QLabel* m_pSample;
    QDialogButtonBox* m_pButtons;
};

} // namespace

CFontDialog::CFontDialog(LPLOGFONT lplfInitial, DWORD dwFlags, CDC* pdcPrinter, CWnd* pParentWnd)
    : m_lf {}, m_pdcPrinter(pdcPrinter), m_pParentWnd(pParentWnd)
{
    m_cf.Flags = dwFlags;
    m_cf.lpLogFont = &m_lf;
    if (lplfInitial) {
        m_lf = *lplfInitial;
        m_cf.Flags |= CF_INITTOLOGFONTSTRUCT;
    }
}

INT_PTR CFontDialog::DoModal()
{
    const bool bInitial = (m_cf.Flags & CF_INITTOLOGFONTSTRUCT) != 0;
    const bool bEffects = (m_cf.Flags & CF_EFFECTS) != 0;
    const LOGFONT* plfInitial = bInitial ? &m_lf : nullptr;
    const Testing::FontDialogCall call {m_cf.Flags, bInitial, m_pdcPrinter != nullptr,
                                        m_pParentWnd != nullptr};
    Testing::CFontDialogAnswerer::Reply reply;
    Testing::CFontDialogAnswerer* pAnswerer = Testing::CFontDialogAnswerer::Active();
    if (pAnswerer) {
        reply = pAnswerer->Answer(call);
        if (reply.nKind == Testing::CFontDialogAnswerer::Reply::Cancel)
            return IDCANCEL;
        if (reply.nKind == Testing::CFontDialogAnswerer::Reply::Font) {
            LOGFONT lf {};
            lf.lfHeight = -MulDiv(reply.nPointSize, 96, 72);
            lf.lfWeight = FW_NORMAL;
            lf.lfCharSet = DEFAULT_CHARSET;
            SetFaceName(lf, Codec::ToUnicode(reply.strFaceName));
            m_lf = lf;
            m_cf.iPointSize = reply.nPointSize * 10;
            return IDOK;
        }
    }

    CFontChooser dlg(OwnerWidget(m_pParentWnd), plfInitial, bEffects);
    if (pAnswerer) {
        dlg.show();
        reply.action(dlg);
    } else {
        dlg.exec();
    }
    if (dlg.result() != QDialog::Accepted)
        return IDCANCEL;
    m_lf = dlg.LogFont();
    m_cf.iPointSize = dlg.PointSize() * 10;
    return IDOK;
}

CString CFontDialog::GetFaceName() const
{
    char szFace[LF_FACESIZE + 1] = {};
    std::memcpy(szFace, m_lf.lfFaceName, LF_FACESIZE);
    return CString(szFace);
}
