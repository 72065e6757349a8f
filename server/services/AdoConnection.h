// One ADO Connection object (ADODB.Connection) to the reporting database.
// Every failure is turned into a FALSE result plus a stored error text; no
// operation lets an exception or a COM error escape. The stored text never
// carries a password: the connection string is shown with its password
// values masked, and the password given to Open is masked wherever it appears.
#pragma once

#include <windows.h>

#include "framework/framework.h"

struct AdoConnectionInterface;  // the hand-declared _Connection, see the .cpp

class CAdoConnection
{
public:
    CAdoConnection();
    virtual ~CAdoConnection();

    CAdoConnection(const CAdoConnection&) = delete;
    CAdoConnection& operator=(const CAdoConnection&) = delete;

    // FALSE when there is no connection object or its state cannot be read
    // (that failure is recorded as the last error).
    BOOL IsOpen();
    // Closes the connection when it is open; a failure is recorded.
    void Close();
    // An empty connection string reuses the one given before.
    BOOL Open(LPCTSTR lpszConnectionString, LPCTSTR lpszUserId, LPCTSTR lpszPassword);
    // Runs SQL text without building a record set.
    BOOL Execute(LPCTSTR lpszSQL);

    // One transaction on the open connection; a failure is recorded.
    BOOL BeginTrans();
    BOOL CommitTrans();
    BOOL RollbackTrans();

    // The object's ConnectionString property, for the data-link dialog.
    BOOL GetConnectionString(CString& text);
    BOOL SetConnectionString(LPCTSTR text);
    // The connection object itself (not AddRef'd), null when none was created.
    IDispatch* GetDispatch() const;

    CString GetLastErrorText() const;

private:
    void RecordError(HRESULT hr);
    // TRUE for a success code; otherwise records it.
    BOOL Succeeded(HRESULT hr);

    AdoConnectionInterface* m_pConnection;
    CString m_strConnection;
    CString m_strLastError;
    CString m_strLastErrorDesc;
    HRESULT m_hrLastError;
    CString m_strPassword;  // the last password given to Open, masked in error texts
    DWORD m_dwComThreadId;  // thread whose CoInitialize this object balances; 0: none
};
