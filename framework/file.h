// CFile over a Win32 file handle; CStdioFile adds a C stream for text lines.
#pragma once
#include <windows.h>
#include <stdio.h>
#include "framework/runtime.h"
#include "framework/string.h"
#include "framework/exceptions.h"

class CFile : public CObject {
    DECLARE_DYNAMIC(CFile)
public:
    // Bit values are the system framework's: callers combine and store them.
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,  // treated as exclusive
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,  // with modeCreate: open an existing file as it is
        typeText = 0x4000,        // CStdioFile only
        typeBinary = 0x8000,
    };
    enum SeekPosition { begin = 0x0, current = 0x1, end = 0x2 };
    static const HANDLE hFileNull;

    CFile();
    // Throws CFileException* when the file cannot be opened.
    CFile(LPCSTR lpszFileName, UINT nOpenFlags);
    ~CFile() override;  // closes an open file, ignoring errors

    // FALSE on failure; *pError (when given) then holds the cause and the OS error.
    virtual BOOL Open(LPCSTR lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr);
    // Bytes read; 0 at the end of the file. The others throw CFileException* on failure.
    virtual UINT Read(void* lpBuf, UINT nCount);
    virtual void Write(const void* lpBuf, UINT nCount);
    virtual ULONGLONG Seek(LONGLONG lOff, UINT nFrom);
    void SeekToBegin() { Seek(0, begin); }
    ULONGLONG SeekToEnd() { return Seek(0, end); }
    virtual ULONGLONG GetPosition() const;
    virtual ULONGLONG GetLength() const;
    virtual void SetLength(ULONGLONG dwNewLen);
    virtual void Flush();
    virtual void Close();
    virtual void Abort();  // closes without reporting errors

    virtual CString GetFilePath() const { return m_strFilePath; }  // full path
    virtual CString GetFileName() const;                            // name with extension
    operator HANDLE() const { return m_hFile; }

    HANDLE m_hFile;

protected:
    [[noreturn]] void ThrowLastError() const;
    void ResetState();

    CString m_strFilePath;
};

class CStdioFile : public CFile {
    DECLARE_DYNAMIC(CStdioFile)
public:
    CStdioFile();
    CStdioFile(LPCSTR lpszFileName, UINT nOpenFlags);  // throws CFileException*
    ~CStdioFile() override;

    // Text mode (the default, or typeText) writes "\n" as CR LF and reads CR LF
    // as "\n". modeCreate | modeNoTruncate and modeWrite alone open in append
    // mode: every write lands at the end of the file.
    BOOL Open(LPCSTR lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr) override;
    UINT Read(void* lpBuf, UINT nCount) override;
    void Write(const void* lpBuf, UINT nCount) override;
    ULONGLONG Seek(LONGLONG lOff, UINT nFrom) override;
    ULONGLONG GetPosition() const override;
    ULONGLONG GetLength() const override;
    void Flush() override;
    void Close() override;
    void Abort() override;

    virtual void WriteString(LPCSTR lpsz);
    // One line, its "\n" kept; null at the end of the file.
    virtual LPSTR ReadString(LPSTR lpsz, UINT nMax);
    // One line without its "\n"; FALSE at the end of the file.
    virtual BOOL ReadString(CString& rString);

    FILE* m_pStream;  // set while the file is open

private:
    [[noreturn]] void ThrowStreamError() const;
    bool m_bStreamWrites;  // flushing a read-only stream would drop its read-ahead
};
