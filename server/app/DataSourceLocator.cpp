#include "server/app/DataSourceLocator.h"
#include <oleauto.h>

// The Data Link object's interface, as its type library describes it; only
// the members called here, in their vtable order after IDispatch.
struct IDataSourceLocator : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_hWnd(LONG* parent) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_hWnd(LONG parent) = 0;
    virtual HRESULT STDMETHODCALLTYPE PromptNew(IDispatch** connection) = 0;
    virtual HRESULT STDMETHODCALLTYPE PromptEdit(IDispatch** connection, VARIANT_BOOL* success) = 0;
};

namespace {
const CLSID ClsidDataLinks = {0x2206CDB2, 0x19C1, 0x11D1, {0x89, 0xE0, 0x00, 0xC0, 0x4F, 0xD7, 0xA8, 0x29}};
const IID IidDataSourceLocator = {0x2206CCB2, 0x19C1, 0x11D1, {0x89, 0xE0, 0x00, 0xC0, 0x4F, 0xD7, 0xA8, 0x29}};
// ADODB.Connection and its _Connection interface.
const CLSID ClsidAdoConnection = {0x00000514, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};
const IID IidAdoConnection = {0x00000550, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};

// Releases one interface pointer at the end of its scope.
template <class T>
struct ComRef {
    T* p = nullptr;
    ComRef() = default;
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ~ComRef()
    {
        if (p)
            p->Release();
    }
    T** operator&() { return &p; }
    T* operator->() const { return p; }
};

HRESULT ConnectionStringId(IDispatch* connection, DISPID& id)
{
    LPOLESTR name = const_cast<LPOLESTR>(L"ConnectionString");
    return connection->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id);
}

HRESULT ReadConnectionString(IDispatch* connection, CString& text)
{
    DISPID id;
    HRESULT hr = ConnectionStringId(connection, id);
    if (FAILED(hr))
        return hr;
    DISPPARAMS none = {};
    VARIANT value;
    VariantInit(&value);
    hr = connection->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &value, nullptr, nullptr);
    if (SUCCEEDED(hr) && value.vt != VT_BSTR)
        hr = VariantChangeType(&value, &value, 0, VT_BSTR);
    if (SUCCEEDED(hr)) {
        const int wide = (int)SysStringLen(value.bstrVal);
        const int size = WideCharToMultiByte(CP_ACP, 0, value.bstrVal, wide, nullptr, 0, nullptr, nullptr);
        CString result;
        if (size > 0) {
            WideCharToMultiByte(CP_ACP, 0, value.bstrVal, wide, result.GetBuffer(size), size, nullptr, nullptr);
            result.ReleaseBuffer(size);
        }
        text = result;
    }
    VariantClear(&value);
    return hr;
}

HRESULT WriteConnectionString(IDispatch* connection, const CString& text)
{
    DISPID id;
    HRESULT hr = ConnectionStringId(connection, id);
    if (FAILED(hr))
        return hr;
    const int wide = MultiByteToWideChar(CP_ACP, 0, text, text.GetLength(), nullptr, 0);
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BSTR;
    value.bstrVal = SysAllocStringLen(nullptr, (UINT)wide);
    if (value.bstrVal == nullptr)
        return E_OUTOFMEMORY;
    MultiByteToWideChar(CP_ACP, 0, text, text.GetLength(), value.bstrVal, wide);
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params = {&value, &named, 1, 1};
    hr = connection->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr,
                            nullptr);
    VariantClear(&value);
    return hr;
}
} // namespace

CDataSourceLocator::CDataSourceLocator(HWND owner) : m_pLocator(nullptr), m_hrLast(S_OK)
{
    ComRef<IUnknown> unknown;
    m_hrLast = CoCreateInstance(ClsidDataLinks, nullptr, CLSCTX_ALL, IID_IUnknown, reinterpret_cast<void**>(&unknown));
    if (SUCCEEDED(m_hrLast))
        m_hrLast = OleRun(unknown.p);
    if (SUCCEEDED(m_hrLast))
        m_hrLast = unknown->QueryInterface(IidDataSourceLocator, reinterpret_cast<void**>(&m_pLocator));
    if (SUCCEEDED(m_hrLast) && owner != nullptr)
        m_pLocator->put_hWnd((LONG)(LONG_PTR)owner);
}

CDataSourceLocator::~CDataSourceLocator()
{
    if (m_pLocator)
        m_pLocator->Release();
}

BOOL CDataSourceLocator::PromptNew()
{
    m_strConnection.Empty();
    if (m_pLocator == nullptr)
        return FALSE;
    ComRef<IDispatch> result;
    m_hrLast = m_pLocator->PromptNew(&result);
    if (m_hrLast != S_OK || result.p == nullptr) {
        if (SUCCEEDED(m_hrLast))
            m_hrLast = S_FALSE; // cancelled
        return FALSE;
    }
    ComRef<IDispatch> connection;
    m_hrLast = result->QueryInterface(IidAdoConnection, reinterpret_cast<void**>(&connection));
    if (SUCCEEDED(m_hrLast))
        m_hrLast = ReadConnectionString(connection.p, m_strConnection);
    return SUCCEEDED(m_hrLast);
}

BOOL CDataSourceLocator::PromptEdit(const CString& connectionString)
{
    if (m_pLocator == nullptr)
        return FALSE;
    IDispatch* connection = nullptr; // PromptEdit may hand back another object in its place
    m_hrLast = CoCreateInstance(ClsidAdoConnection, nullptr, CLSCTX_ALL, IidAdoConnection,
                                reinterpret_cast<void**>(&connection));
    if (FAILED(m_hrLast))
        return FALSE;
    m_hrLast = WriteConnectionString(connection, connectionString);
    VARIANT_BOOL success = VARIANT_FALSE;
    if (SUCCEEDED(m_hrLast))
        m_hrLast = m_pLocator->PromptEdit(&connection, &success);
    BOOL edited = SUCCEEDED(m_hrLast) && success != VARIANT_FALSE && connection != nullptr;
    if (edited) {
        CString text;
        m_hrLast = ReadConnectionString(connection, text);
        edited = SUCCEEDED(m_hrLast);
        if (edited)
            m_strConnection = text;
    } else if (SUCCEEDED(m_hrLast)) {
        m_hrLast = S_FALSE; // cancelled
    }
    if (connection)
        connection->Release();
    return edited;
}
