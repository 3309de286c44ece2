// Root class with run-time class information: a class name and its base, enough for IsKindOf.
#pragma once

struct CRuntimeClass {
    const char* m_lpszClassName;
    const CRuntimeClass* m_pBaseClass;  // null for the root

    bool IsDerivedFrom(const CRuntimeClass* pBaseClass) const;
};

// Inside a class derived from CObject, written without a semicolon (-Wpedantic refuses an
// empty member declaration): the class's record and its query. Leaves the access public.
#define GLT_DECLARE_RUNTIME_CLASS(Class)               \
public:                                                \
    static const CRuntimeClass class##Class;           \
    const CRuntimeClass* GetRuntimeClass() const override;

// In the class's source file. The record is a constant, so it is ready before any dynamic
// initialisation runs (the instance list object is created first of all).
#define GLT_IMPLEMENT_RUNTIME_CLASS(Class, Base)                                            \
    const CRuntimeClass* Class::GetRuntimeClass() const { return &Class::class##Class; }    \
    constinit const CRuntimeClass Class::class##Class = {#Class, &Base::class##Base};

#define GLT_RUNTIME_CLASS(Class) (&Class::class##Class)

class CObject {
public:
    // Virtual slots in this order: class query, destructor, then the three defaults that
    // derived classes keep.
    virtual const CRuntimeClass* GetRuntimeClass() const;
    virtual ~CObject() = default;
    virtual void Serialize();
    virtual void AssertValid() const;
    virtual void Dump() const;

    bool IsKindOf(const CRuntimeClass* pClass) const;

    static const CRuntimeClass classCObject;

protected:
    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
};
