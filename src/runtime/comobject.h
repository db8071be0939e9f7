// A base for the COM objects the system and the headless platform implement: the reference
// count, and a QueryInterface table helper.
#pragma once

#include <atomic>
#include <initializer_list>
#include <utility>

#include "platform/com.h"

namespace com {

struct InterfaceEntry {
  const IID& iid;
  IUnknown* itf;
};

// Answers riid from the table; the first entry also answers IUnknown.
inline HRESULT answer(REFIID riid, void** ppv, std::initializer_list<InterfaceEntry> table) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  for (const InterfaceEntry& e : table) {
    if (IsEqualGUID(riid, e.iid) || IsEqualGUID(riid, IID_IUnknown)) {
      *ppv = e.itf;
      e.itf->AddRef();
      return S_OK;
    }
  }
  return E_NOINTERFACE;
}

// Implements AddRef and Release for every interface the object derives from; a new object
// starts with one reference, owned by whoever created it.
template <class... Interfaces>
class Object : public Interfaces... {
 public:
  Object() = default;
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;

  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  virtual ~Object() = default;

 private:
  std::atomic<ULONG> refs_{1};
};

// An interface implemented by a part of a larger object (a tear-off): its identity and count
// are the owner's.
template <class Interface>
class Part : public Interface {
 public:
  explicit Part(IUnknown& owner) : owner_(owner) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    return owner_.QueryInterface(riid, ppv);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return owner_.AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return owner_.Release(); }

 private:
  IUnknown& owner_;
};

// A class object: CreateInstance refuses aggregation and leaves the rest to create(riid, ppv).
// With a lock counter, the factory and LockServer keep the server loaded while they last.
template <class Create>
class ClassFactory final : public Object<IClassFactory> {
 public:
  explicit ClassFactory(Create create, std::atomic<long>* locks = nullptr)
      : create_(std::move(create)), locks_(locks) {
    if (locks_) ++*locks_;
  }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    return answer(riid, ppv, {{IID_IClassFactory, this}});
  }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return create_(riid, ppv);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (locks_) lock ? ++*locks_ : --*locks_;
    return S_OK;
  }

 private:
  ~ClassFactory() override {
    if (locks_) --*locks_;
  }
  Create create_;
  std::atomic<long>* locks_;
};

// Hands out a new class object for create, answering riid.
template <class Create>
HRESULT classObject(Create create, REFIID riid, void** ppv, std::atomic<long>* locks = nullptr) {
  auto factory = Ptr<IClassFactory>::adopt(new ClassFactory<Create>(std::move(create), locks));
  return factory->QueryInterface(riid, ppv);
}

}  // namespace com
