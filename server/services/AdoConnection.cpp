#include "server/services/AdoConnection.h"

#include <oleauto.h>
#include <ole2.h>

#include <cctype>
#include <cstdio>
#include <string>

// MinGW's ADO headers cannot be used from C++, so the part of the _Connection
// vtable this class calls is declared here. Slots that are never called are
// kept as placeholders so that every called slot sits at its real position.
struct AdoConnectionInterface;

struct AdoConnectionVtbl
{
    // IUnknown
    HRESULT(STDMETHODCALLTYPE* QueryInterface)(AdoConnectionInterface*, REFIID, void**);
    ULONG(STDMETHODCALLTYPE* AddRef)(AdoConnectionInterface*);
    ULONG(STDMETHODCALLTYPE* Release)(AdoConnectionInterface*);
    // IDispatch: GetTypeInfoCount, GetTypeInfo, GetIDsOfNames, Invoke
    void* dispatchSlots[4];
    // get_Properties
    void* propertiesSlot;
    HRESULT(STDMETHODCALLTYPE* get_ConnectionString)(AdoConnectionInterface*, BSTR* text);
    HRESULT(STDMETHODCALLTYPE* put_ConnectionString)(AdoConnectionInterface*, BSTR text);
    // get/put_CommandTimeout, get/put_ConnectionTimeout, get_Version
    void* settingsSlots[5];
    HRESULT(STDMETHODCALLTYPE* Close)(AdoConnectionInterface*);
    HRESULT(STDMETHODCALLTYPE* Execute)(AdoConnectionInterface*, BSTR commandText, VARIANT* recordsAffected,
                                        long options, IUnknown** recordset);
    HRESULT(STDMETHODCALLTYPE* BeginTrans)(AdoConnectionInterface*, long* level);
    HRESULT(STDMETHODCALLTYPE* CommitTrans)(AdoConnectionInterface*);
    HRESULT(STDMETHODCALLTYPE* RollbackTrans)(AdoConnectionInterface*);
    HRESULT(STDMETHODCALLTYPE* Open)(AdoConnectionInterface*, BSTR connectionString, BSTR userId, BSTR password,
                                     long options);
    // get_Errors, get/put_DefaultDatabase, get/put_IsolationLevel, get/put_Attributes, get_CursorLocation
    void* propertySlots[8];
    HRESULT(STDMETHODCALLTYPE* put_CursorLocation)(AdoConnectionInterface*, long cursorLocation);
    // get/put_Mode, get/put_Provider
    void* modeSlots[4];
    HRESULT(STDMETHODCALLTYPE* get_State)(AdoConnectionInterface*, long* state);
};

struct AdoConnectionInterface
{
    const AdoConnectionVtbl* lpVtbl;
};

namespace {

// ADODB.Connection and its _Connection interface.
const CLSID kClsidConnection = {0x00000514, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};
const IID kIidConnection = {0x00000550, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};

const long kStateClosed = 0;       // adStateClosed
const long kUseClient = 3;         // adUseClient
const long kExecuteNoRecords = 128; // adExecuteNoRecords

const char kMask[] = "****";

// Owns one BSTR made from ANSI text.
class AnsiBstr
{
public:
    explicit AnsiBstr(LPCSTR text) : m_bstr(nullptr)
    {
        if (!text)
            text = "";
        int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
        m_bstr = SysAllocStringLen(nullptr, n > 0 ? n - 1 : 0);
        if (m_bstr && n > 1)
            MultiByteToWideChar(CP_ACP, 0, text, -1, m_bstr, n);
    }
    ~AnsiBstr() { SysFreeString(m_bstr); }
    AnsiBstr(const AnsiBstr&) = delete;
    AnsiBstr& operator=(const AnsiBstr&) = delete;
    BSTR Get() const { return m_bstr; }

private:
    BSTR m_bstr;
};

std::string FromBstr(BSTR text)
{
    if (!text)
        return std::string();
    int n = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1)
        return std::string();
    std::string out(n - 1, '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, &out[0], n, nullptr, nullptr);
    return out;
}

// The system's message text for an HRESULT, without its line end.
std::string CodeMeaning(HRESULT hr)
{
    char* text = nullptr;
    DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                 FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, static_cast<DWORD>(hr), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                             reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string out;
    if (n && text)
        out.assign(text, n);
    if (text)
        LocalFree(text);
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r'))
        out.pop_back();
    if (out.empty()) {
        char buf[40];
        std::snprintf(buf, sizeof buf, "Unknown error 0x%0lX", static_cast<unsigned long>(hr));
        out = buf;
    }
    return out;
}

bool IsKeyChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == ' ';
}

// Replaces the value of every "Password=" or "Pwd=" item (any case, blanks
// around the key allowed, quoted or braced values kept whole) with the mask.
std::string MaskPasswordItems(const std::string& text)
{
    std::string out;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t eq = text.find('=', pos);
        if (eq == std::string::npos)
            break;
        // The key runs back from '=' to the previous separator.
        size_t keyStart = eq;
        while (keyStart > pos && IsKeyChar(text[keyStart - 1]))
            --keyStart;
        std::string key;
        for (size_t i = keyStart; i < eq; ++i)
            if (text[i] != ' ')
                key += static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
        // The value ends at the next ';' unless it is quoted or braced.
        size_t valueStart = eq + 1;
        while (valueStart < text.size() && text[valueStart] == ' ')
            ++valueStart;
        size_t valueEnd;
        char open = valueStart < text.size() ? text[valueStart] : '\0';
        if (open == '\'' || open == '"' || open == '{') {
            char close = open == '{' ? '}' : open;
            valueEnd = text.find(close, valueStart + 1);
            valueEnd = valueEnd == std::string::npos ? text.size() : valueEnd + 1;
        } else {
            valueEnd = text.find_first_of(";\n", valueStart);
            if (valueEnd == std::string::npos)
                valueEnd = text.size();
        }
        out.append(text, pos, valueStart - pos);
        if (key == "password" || key == "pwd") {
            if (valueEnd > valueStart)
                out += kMask;
        } else {
            out.append(text, valueStart, valueEnd - valueStart);
        }
        pos = valueEnd;
    }
    out.append(text, pos, std::string::npos);
    return out;
}

std::string MaskSecrets(const std::string& text, const std::string& password)
{
    std::string out = MaskPasswordItems(text);
    if (!password.empty()) {
        for (size_t at = out.find(password); at != std::string::npos; at = out.find(password, at + sizeof kMask - 1))
            out.replace(at, password.size(), kMask);
    }
    return out;
}

} // namespace

CAdoConnection::CAdoConnection()
    : m_pConnection(nullptr), m_hrLastError(S_OK), m_dwComThreadId(0)
{
    // Only a successful CoInitialize is balanced, and only on its own thread:
    // uninitialising another thread would pull COM from under that thread.
    if (SUCCEEDED(CoInitialize(nullptr)))
        m_dwComThreadId = GetCurrentThreadId();

    IUnknown* unknown = nullptr;
    if (FAILED(CoCreateInstance(kClsidConnection, nullptr, CLSCTX_SERVER, IID_IUnknown,
                                reinterpret_cast<void**>(&unknown))) || !unknown)
        return;
    void* connection = nullptr;
    if (SUCCEEDED(OleRun(unknown)) &&
        SUCCEEDED(unknown->QueryInterface(kIidConnection, &connection)) && connection)
        m_pConnection = static_cast<AdoConnectionInterface*>(connection);
    unknown->Release();
}

CAdoConnection::~CAdoConnection()
{
    Close();
    if (m_pConnection) {
        m_pConnection->lpVtbl->Release(m_pConnection);
        m_pConnection = nullptr;
    }
    m_strConnection = "";
    m_strLastError = "";
    m_strLastErrorDesc = "";
    m_strPassword = "";
    if (m_dwComThreadId == GetCurrentThreadId())
        CoUninitialize();
}

BOOL CAdoConnection::IsOpen()
{
    if (!m_pConnection)
        return FALSE;
    long state = kStateClosed;
    HRESULT hr = m_pConnection->lpVtbl->get_State(m_pConnection, &state);
    if (FAILED(hr)) {
        RecordError(hr);
        return FALSE;
    }
    return state != kStateClosed;
}

void CAdoConnection::Close()
{
    if (!IsOpen())
        return;
    HRESULT hr = m_pConnection->lpVtbl->Close(m_pConnection);
    if (FAILED(hr))
        RecordError(hr);
}

BOOL CAdoConnection::Open(LPCTSTR lpszConnectionString, LPCTSTR lpszUserId, LPCTSTR lpszPassword)
{
    if (IsOpen())
        Close();
    if (lpszConnectionString && *lpszConnectionString)
        m_strConnection = lpszConnectionString;
    m_strPassword = lpszPassword ? lpszPassword : "";
    if (!m_pConnection) {
        RecordError(E_NOINTERFACE);
        return FALSE;
    }
    AnsiBstr connection(m_strConnection);
    AnsiBstr user(lpszUserId);
    AnsiBstr password(lpszPassword);
    HRESULT hr = m_pConnection->lpVtbl->Open(m_pConnection, connection.Get(), user.Get(), password.Get(), 0);
    if (hr == S_OK)
        return TRUE;
    // Any other code, a success code included, leaves the caller without a
    // usable connection; record it so that the text says why.
    RecordError(hr);
    return FALSE;
}

BOOL CAdoConnection::Execute(LPCTSTR lpszSQL)
{
    if (!m_pConnection) {
        RecordError(E_NOINTERFACE);
        return FALSE;
    }
    HRESULT hr = m_pConnection->lpVtbl->put_CursorLocation(m_pConnection, kUseClient);
    if (FAILED(hr)) {
        RecordError(hr);
        return FALSE;
    }
    AnsiBstr sql(lpszSQL);
    VARIANT affected;
    VariantInit(&affected);
    IUnknown* recordset = nullptr;
    hr = m_pConnection->lpVtbl->Execute(m_pConnection, sql.Get(), &affected, kExecuteNoRecords, &recordset);
    if (recordset)
        recordset->Release();
    VariantClear(&affected);
    if (FAILED(hr)) {
        RecordError(hr);
        return FALSE;
    }
    return TRUE;
}

BOOL CAdoConnection::Succeeded(HRESULT hr)
{
    if (SUCCEEDED(hr))
        return TRUE;
    RecordError(hr);
    return FALSE;
}

BOOL CAdoConnection::BeginTrans()
{
    if (!m_pConnection)
        return Succeeded(E_NOINTERFACE);
    long level = 0;
    return Succeeded(m_pConnection->lpVtbl->BeginTrans(m_pConnection, &level));
}

BOOL CAdoConnection::CommitTrans()
{
    return Succeeded(m_pConnection ? m_pConnection->lpVtbl->CommitTrans(m_pConnection) : E_NOINTERFACE);
}

BOOL CAdoConnection::RollbackTrans()
{
    return Succeeded(m_pConnection ? m_pConnection->lpVtbl->RollbackTrans(m_pConnection) : E_NOINTERFACE);
}

BOOL CAdoConnection::GetConnectionString(CString& text)
{
    if (!m_pConnection)
        return Succeeded(E_NOINTERFACE);
    BSTR value = nullptr;
    HRESULT hr = m_pConnection->lpVtbl->get_ConnectionString(m_pConnection, &value);
    if (SUCCEEDED(hr))
        text = FromBstr(value).c_str();
    SysFreeString(value);
    return Succeeded(hr);
}

BOOL CAdoConnection::SetConnectionString(LPCTSTR text)
{
    if (!m_pConnection)
        return Succeeded(E_NOINTERFACE);
    AnsiBstr value(text);
    if (!Succeeded(m_pConnection->lpVtbl->put_ConnectionString(m_pConnection, value.Get())))
        return FALSE;
    m_strConnection = text ? text : "";
    return TRUE;
}

IDispatch* CAdoConnection::GetDispatch() const
{
    return reinterpret_cast<IDispatch*>(m_pConnection);
}

CString CAdoConnection::GetLastErrorText() const
{
    return m_strLastError;
}

void CAdoConnection::RecordError(HRESULT hr)
{
    // Source and description come from the thread's error object, when the
    // failing call left one.
    std::string source = "(null)";
    std::string description = "(null)";
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) == S_OK && info) {
        BSTR text = nullptr;
        if (SUCCEEDED(info->GetSource(&text)) && text)
            source = FromBstr(text);
        SysFreeString(text);
        text = nullptr;
        if (SUCCEEDED(info->GetDescription(&text)) && text)
            description = FromBstr(text);
        SysFreeString(text);
        info->Release();
    }
    // Provider texts may echo the connection string or the password given.
    const std::string password(static_cast<LPCSTR>(m_strPassword));
    description = MaskSecrets(description, password);
    source = MaskSecrets(source, password);

    std::string meaning = CodeMeaning(hr);
    std::string format = "CAdoConnection Error\n\tCode = %08lx\n\tCode meaning = %s\n\tSource = %s\n\tDescription = %s\n";
    int n = std::snprintf(nullptr, 0, format.c_str(), static_cast<unsigned long>(hr), meaning.c_str(),
                          source.c_str(), description.c_str());
    std::string formatted(n > 0 ? n : 0, '\0');
    if (n > 0)
        std::snprintf(&formatted[0], n + 1, format.c_str(), static_cast<unsigned long>(hr), meaning.c_str(),
                      source.c_str(), description.c_str());

    m_strLastErrorDesc = description.c_str();
    std::string full = "Connection String = " + MaskPasswordItems(static_cast<LPCSTR>(m_strConnection)) + "\n" + formatted;
    m_strLastError = full.c_str();
    m_hrLastError = hr;
}
