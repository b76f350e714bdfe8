// Run-time class information and dynamic creation, so that a class of objects (a cell class)
// can be chosen at run time and created by name of its class record.
#pragma once

#include "afxtypes.h"

class CObject;

struct CRuntimeClass {
    LPCSTR m_lpszClassName;
    CObject* (*m_pfnCreateObject)();
    const CRuntimeClass* m_pBaseClass;

    CObject* CreateObject() const { return m_pfnCreateObject ? m_pfnCreateObject() : nullptr; }
    BOOL IsDerivedFrom(const CRuntimeClass* pBaseClass) const
    {
        for (const CRuntimeClass* p = this; p; p = p->m_pBaseClass)
            if (p == pBaseClass) return TRUE;
        return FALSE;
    }
};

class CObject {
public:
    virtual ~CObject() = default;
    virtual const CRuntimeClass* GetRuntimeClass() const { return &classCObject; }
    BOOL IsKindOf(const CRuntimeClass* pClass) const { return GetRuntimeClass()->IsDerivedFrom(pClass); }
    static const CRuntimeClass classCObject;
};
inline const CRuntimeClass CObject::classCObject = {"CObject", nullptr, nullptr};

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

#define DECLARE_DYNAMIC(class_name)                                                      \
public:                                                                                  \
    static const CRuntimeClass class##class_name;                                        \
    const CRuntimeClass* GetRuntimeClass() const override { return &class##class_name; }

#define DECLARE_DYNCREATE(class_name)                                                    \
    DECLARE_DYNAMIC(class_name)                                                          \
    static CObject* CreateObject();

#define IMPLEMENT_DYNAMIC(class_name, base_class_name)                                   \
    const CRuntimeClass class_name::class##class_name = {#class_name, nullptr,            \
                                                         RUNTIME_CLASS(base_class_name)};

#define IMPLEMENT_DYNCREATE(class_name, base_class_name)                                 \
    CObject* class_name::CreateObject() { return new class_name; }                       \
    const CRuntimeClass class_name::class##class_name = {#class_name,                     \
        class_name::CreateObject, RUNTIME_CLASS(base_class_name)};
