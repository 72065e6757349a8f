// CArchive: a buffered binary stream over a CFile, for a document's Serialize.
// Values are little-endian; CStrings use the system framework's length-prefixed form.
#pragma once
#include <windows.h>
#include <string.h>
#include "framework/string.h"
#include "framework/file.h"

class CDocument;

class CArchive {
public:
    enum Mode { store = 0, load = 1, bNoFlushOnDelete = 2, bNoByteSwap = 4 };

    // lpBuf, when given, is the caller's buffer of nBufSize bytes.
    CArchive(CFile* pFile, UINT nMode, int nBufSize = 4096, void* lpBuf = nullptr);
    // An archive not yet closed is flushed (errors ignored) unless
    // bNoFlushOnDelete was given.
    ~CArchive();
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    BOOL IsLoading() const { return (m_nMode & load) != 0; }
    BOOL IsStoring() const { return (m_nMode & load) == 0; }
    BOOL IsBufferEmpty() const { return m_pCur == m_pLim; }
    CFile* GetFile() const { return m_pFile; }

    // Bytes read; fewer than asked only at the end of the file (no exception).
    UINT Read(void* lpBuf, UINT nMax);
    void Write(const void* lpBuf, UINT nCount);
    // Storing: writes the buffer to the file. Loading: moves the file back to
    // the archive's position and drops the buffer.
    void Flush();
    void Close();  // flushes; the file stays open
    void Abort();  // detaches without flushing

    // Lines end in CR LF. ReadString(CString&) drops the line end and is FALSE
    // at the end of the file; ReadString(LPSTR) keeps "\n" and is null there.
    BOOL ReadString(CString& rString);
    LPSTR ReadString(LPSTR lpsz, UINT nMax);
    void WriteString(LPCSTR lpsz);  // as it stands, nothing appended

    // Reading past the end throws CArchiveException* endOfFile.
    CArchive& operator<<(BYTE by) { return StoreValue(by); }
    CArchive& operator<<(WORD w) { return StoreValue(w); }
    CArchive& operator<<(LONG l) { return StoreValue(l); }
    CArchive& operator<<(DWORD dw) { return StoreValue(dw); }
    CArchive& operator<<(int i) { return StoreValue(i); }
    CArchive& operator<<(UINT u) { return StoreValue(u); }
    CArchive& operator<<(short s) { return StoreValue(s); }
    CArchive& operator<<(float f) { return StoreValue(f); }
    CArchive& operator<<(double d) { return StoreValue(d); }
    CArchive& operator<<(const CString& str);

    CArchive& operator>>(BYTE& by) { return LoadValue(by); }
    CArchive& operator>>(WORD& w) { return LoadValue(w); }
    CArchive& operator>>(LONG& l) { return LoadValue(l); }
    CArchive& operator>>(DWORD& dw) { return LoadValue(dw); }
    CArchive& operator>>(int& i) { return LoadValue(i); }
    CArchive& operator>>(UINT& u) { return LoadValue(u); }
    CArchive& operator>>(short& s) { return LoadValue(s); }
    CArchive& operator>>(float& f) { return LoadValue(f); }
    CArchive& operator>>(double& d) { return LoadValue(d); }
    // Also reads the longer length prefixes and UTF-16 strings (converted to ANSI).
    CArchive& operator>>(CString& str);
    // The two halves of reading a CString, for a caller that checks the
    // length before any character is read: the prefix (a count of characters;
    // wide for the UTF-16 tag), then that many characters, converted to ANSI.
    DWORD ReadStringLength(bool& bWide);
    void ReadStringChars(DWORD nChars, bool bWide, CString& str);

    CDocument* m_pDocument = nullptr;  // set by the document that serializes

private:
    template <class T> CArchive& StoreValue(T value) {
        Write(&value, sizeof value);
        return *this;
    }
    template <class T> CArchive& LoadValue(T& value) {
        NeedBytes(sizeof value);
        memcpy(&value, m_pCur, sizeof value);
        m_pCur += sizeof value;
        return *this;
    }
    void NeedBytes(UINT nBytes);   // at least nBytes buffered, or endOfFile
    UINT FillUpTo(UINT nBytes);    // buffers up to nBytes; what is available
    void WriteBuffer();
    void StoreLength(DWORD nLength);
    DWORD LoadLength(bool& bWide);
    void CheckLoading() const;
    void CheckStoring() const;
    [[noreturn]] void Throw(int cause) const;

    CFile* m_pFile;
    UINT m_nMode;
    BYTE* m_pBufStart;
    UINT m_nBufSize;
    bool m_bOwnBuffer;
    BYTE* m_pCur;  // next byte to read or write
    BYTE* m_pLim;  // loading: end of buffered data; storing: end of the buffer
};
