#include "PdfDc.h"

#include "Codec.h"
#include "File.h"

#include <QIODevice>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>

#include <utility>
#include <vector>

// The writer's output: a CFile, written in large blocks. A failed write is kept, not thrown
// through the writer; the DC throws it once the writer has returned.
class CPdfDevice : public QIODevice {
public:
    explicit CPdfDevice(CFile* pFile) : m_pFile(pFile) { m_buffer.reserve(s_nBlock); }
    ~CPdfDevice() override
    {
        if (m_pError)
            m_pError->Delete();
    }

    bool isSequential() const override { return true; }
    // Writes what is still buffered; FALSE once any write has failed.
    bool FlushBuffer()
    {
        if (!m_pError && !m_buffer.empty()) {
            try {
                m_pFile->Write(m_buffer.data(), (UINT)m_buffer.size());
            } catch (CFileException* e) {
                m_pError = e;
            }
        }
        m_buffer.clear();
        return m_pError == nullptr;
    }
    CFileException* TakeError() { return std::exchange(m_pError, nullptr); }
    bool HasFailed() const { return m_pError != nullptr; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* pData, qint64 nSize) override
    {
        if (m_pError)
            return -1;
        if (m_buffer.size() + (size_t)nSize > s_nBlock && !FlushBuffer())
            return -1;
        if ((size_t)nSize >= s_nBlock) {
            try {
                m_pFile->Write(pData, (UINT)nSize);
            } catch (CFileException* e) {
                m_pError = e;
                return -1;
            }
            return nSize;
        }
        m_buffer.insert(m_buffer.end(), pData, pData + nSize);
        return nSize;
    }

private:
    static constexpr size_t s_nBlock = 256 * 1024;
    CFile* m_pFile;
    std::vector<char> m_buffer;
    CFileException* m_pError = nullptr;
};

CPdfDC::CPdfDC() = default;

CPdfDC::~CPdfDC()
{
    AbortDoc();
}

BOOL CPdfDC::StartDoc(CFile* pFile, int nWidth, int nHeight, LPCTSTR lpszTitle)
{
    if (m_pPainter || !pFile || nWidth <= 0 || nHeight <= 0)
        return FALSE;
    m_pDevice = std::make_unique<CPdfDevice>(pFile);
    m_pDevice->open(QIODevice::WriteOnly);
    m_pWriter = std::make_unique<QPdfWriter>(m_pDevice.get());
    // One device pixel per 0.1 mm; the page exactly as wide and as tall as asked.
    m_pWriter->setResolution(254);
    const QPageSize pageSize(QSizeF(nWidth / 10.0, nHeight / 10.0), QPageSize::Millimeter, QString(),
                             QPageSize::ExactMatch);
    m_pWriter->setPageLayout(QPageLayout(pageSize, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    m_pWriter->setTitle(Codec::ToUnicode(lpszTitle ? lpszTitle : ""));
    m_pWriter->setCreator(QStringLiteral("Veltrane"));
    m_pPainter = std::make_unique<QPainter>();
    if (!m_pPainter->begin(m_pWriter.get())) {
        m_pPainter.reset();
        m_pWriter.reset();
        m_pDevice.reset();
        return FALSE;
    }
    AttachPainter(m_pPainter.get());
    m_nPages = 1;
    m_bPageOpen = TRUE;
    return TRUE;
}

BOOL CPdfDC::StartPage()
{
    if (!m_pPainter)
        return FALSE;
    ThrowIfWriteFailed();
    if (m_bPageOpen)
        return TRUE;
    if (!m_pWriter->newPage())
        return FALSE;
    ThrowIfWriteFailed();
    m_nPages++;
    m_bPageOpen = TRUE;
    return TRUE;
}

BOOL CPdfDC::EndPage()
{
    if (!m_pPainter || !m_bPageOpen)
        return FALSE;
    m_bPageOpen = FALSE;
    ThrowIfWriteFailed();
    return TRUE;
}

BOOL CPdfDC::EndDoc()
{
    if (!m_pPainter)
        return FALSE;
    AttachPainter(nullptr);
    const bool bEnded = m_pPainter->end();
    m_pPainter.reset();
    m_pWriter.reset();
    m_pDevice->FlushBuffer();
    ThrowIfWriteFailed();
    m_pDevice.reset();
    return bEnded;
}

void CPdfDC::AbortDoc()
{
    AttachPainter(nullptr);
    if (m_pPainter)
        m_pPainter->end();
    m_pPainter.reset();
    m_pWriter.reset();
    m_pDevice.reset();
    m_bPageOpen = FALSE;
}

void CPdfDC::ThrowIfWriteFailed()
{
    if (!m_pDevice || !m_pDevice->HasFailed())
        return;
    CFileException* e = m_pDevice->TakeError();
    AbortDoc();
    throw e;
}
