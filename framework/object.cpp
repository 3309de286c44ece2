#include "framework/object.h"

#include <windows.h>

#include <cstdio>

constinit const CRuntimeClass CObject::classCObject = {"CObject", nullptr};

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* pBaseClass) const
{
    if (pBaseClass == nullptr)
        return false;
    for (const CRuntimeClass* p = this; p != nullptr; p = p->m_pBaseClass) {
        if (p == pBaseClass)
            return true;
    }
    return false;
}

const CRuntimeClass* CObject::GetRuntimeClass() const
{
    return &classCObject;
}

void CObject::Serialize()
{
}

void CObject::AssertValid() const
{
}

void CObject::Dump() const
{
    char line[160];
    std::snprintf(line, sizeof line, "a %s at %p\n", GetRuntimeClass()->m_lpszClassName,
                  static_cast<const void*>(this));
    OutputDebugStringA(line);
}

bool CObject::IsKindOf(const CRuntimeClass* pClass) const
{
    return GetRuntimeClass()->IsDerivedFrom(pClass);
}
