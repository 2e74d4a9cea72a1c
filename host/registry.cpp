#include "host/registry.h"

#include <cctype>

#include "data/error.h"

namespace zv {
namespace {
std::string Key(std::string_view progid) {
  std::string k(progid);
  for (char& c : k) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return k;
}
}  // namespace

ObjectRegistry& ObjectRegistry::Default() {
  static ObjectRegistry registry;
  return registry;
}

void ObjectRegistry::Register(std::string progid, Factory factory) {
  std::lock_guard<std::mutex> lock(mutex_);
  factories_[Key(progid)] = std::move(factory);
}

void ObjectRegistry::Unregister(std::string_view progid) {
  std::lock_guard<std::mutex> lock(mutex_);
  factories_.erase(Key(progid));
}

bool ObjectRegistry::Contains(std::string_view progid) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return factories_.count(Key(progid)) != 0;
}

std::shared_ptr<Dispatch> ObjectRegistry::Create(std::string_view progid) const {
  Factory factory;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = factories_.find(Key(progid));
    if (it != factories_.end()) factory = it->second;
  }
  std::shared_ptr<Dispatch> object;
  if (factory) {
    try {
      object = factory();
    } catch (...) {
      object = nullptr;
    }
  }
  if (!object) Raise(err::kCannotCreateObject);
  return object;
}

std::shared_ptr<Dispatch> CreateObject(std::string_view progid) {
  return ObjectRegistry::Default().Create(progid);
}

ScopedRegistration::ScopedRegistration(std::string progid,
                                       ObjectRegistry::Factory factory,
                                       ObjectRegistry& registry)
    : progid_(std::move(progid)), registry_(registry) {
  {
    std::lock_guard<std::mutex> lock(registry_.mutex_);
    auto it = registry_.factories_.find(Key(progid_));
    if (it != registry_.factories_.end()) {
      had_previous_ = true;
      previous_ = it->second;
    }
  }
  registry_.Register(progid_, std::move(factory));
}

ScopedRegistration::~ScopedRegistration() {
  if (had_previous_)
    registry_.Register(progid_, previous_);
  else
    registry_.Unregister(progid_);
}

}  // namespace zv
