// CObject and run-time class information (DECLARE/IMPLEMENT_DYNAMIC, _DYNCREATE).
#pragma once
#include <windows.h>

class CObject;
class CArchive;

// One static record per class. All members are constants, so the records are
// complete before any dynamic initialisation runs.
struct CRuntimeClass {
    LPCSTR m_lpszClassName;
    int m_nObjectSize;
    UINT m_wSchema;                          // 0xFFFF: not serializable
    CObject* (*m_pfnCreateObject)();         // null unless DYNCREATE
    CRuntimeClass* (*m_pfnGetBaseClass)();   // null for CObject

    CObject* CreateObject() const;           // null when the class has no factory
    BOOL IsDerivedFrom(const CRuntimeClass* pBaseClass) const;
    CRuntimeClass* GetBaseClass() const { return m_pfnGetBaseClass ? m_pfnGetBaseClass() : nullptr; }
};

class CObject {
public:
    virtual CRuntimeClass* GetRuntimeClass() const;
    virtual ~CObject() = default;

    BOOL IsKindOf(const CRuntimeClass* pClass) const;
    BOOL IsSerializable() const;
    virtual void Serialize(CArchive& ar);
    virtual void AssertValid() const {}

    static CRuntimeClass classCObject;
    static CRuntimeClass* GetThisClass() { return &classCObject; }

protected:
    CObject() = default;

private:
    // Objects with identity are not copied, as in MFC.
    CObject(const CObject&) = delete;
    CObject& operator=(const CObject&) = delete;
};

#define RUNTIME_CLASS(class_name) (class_name::GetThisClass())

#define DECLARE_DYNAMIC(class_name)                                     \
public:                                                                 \
    static CRuntimeClass class##class_name;                             \
    static CRuntimeClass* GetThisClass() { return &class##class_name; } \
    CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name) \
    DECLARE_DYNAMIC(class_name)       \
    static CObject* PASCAL CreateObject();

#define DECLARE_SERIAL(class_name) DECLARE_DYNCREATE(class_name)

#define FW_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, wSchema, pfnNew)                          \
    static CRuntimeClass* fwBase_##class_name() { return RUNTIME_CLASS(base_class_name); }             \
    CRuntimeClass class_name::class##class_name = {#class_name, static_cast<int>(sizeof(class_name)), \
                                                   wSchema, pfnNew, &fwBase_##class_name};             \
    CRuntimeClass* class_name::GetRuntimeClass() const { return RUNTIME_CLASS(class_name); }

#define IMPLEMENT_DYNAMIC(class_name, base_class_name) \
    FW_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF, nullptr)

#define IMPLEMENT_DYNCREATE(class_name, base_class_name)                       \
    CObject* PASCAL class_name::CreateObject() { return new class_name; }      \
    static CObject* fwNew_##class_name() { return class_name::CreateObject(); } \
    FW_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF, &fwNew_##class_name)

#define IMPLEMENT_SERIAL(class_name, base_class_name, wSchema)                  \
    CObject* PASCAL class_name::CreateObject() { return new class_name; }      \
    static CObject* fwNew_##class_name() { return class_name::CreateObject(); } \
    FW_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, wSchema, &fwNew_##class_name)

// Checked downcast: null when the object is not of that class.
#define DYNAMIC_DOWNCAST(class_name, pObject) \
    (static_cast<class_name*>(AfxDynamicDownCast(RUNTIME_CLASS(class_name), pObject)))
#define STATIC_DOWNCAST(class_name, pObject) (static_cast<class_name*>(pObject))

CObject* AfxDynamicDownCast(CRuntimeClass* pClass, CObject* pObject);
