#include "data/core/component.h"

#include <algorithm>

namespace {
void Erase(std::vector<TComponent*>& list, TComponent* item) {
  list.erase(std::remove(list.begin(), list.end(), item), list.end());
}
}  // namespace

TComponent::TComponent(TComponent* owner) {
  if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
  BeginDestruction();
  DestroyComponents();
  if (owner_) owner_->RemoveComponent(this);
}

void TComponent::BeginDestruction() {
  if (state_ & csDestroying) return;
  state_ |= csDestroying;
  SendFreeNotifications();
}

void TComponent::SendFreeNotifications() {
  while (!free_notifies_.empty()) {
    TComponent* peer = free_notifies_.back();
    free_notifies_.pop_back();
    Erase(peer->free_notifies_, this);
    peer->Notification(this, opRemove);
  }
}

void TComponent::DestroyComponents() {
  // Last made, first freed; each one leaves the list itself.
  while (!components_.empty()) {
    TComponent* child = components_.back();
    RemoveComponent(child);
    delete child;
  }
}

void TComponent::InsertComponent(TComponent* component) {
  if (component->owner_) component->owner_->RemoveComponent(component);
  components_.push_back(component);
  component->owner_ = this;
  Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
  if (component->owner_ != this) return;
  Notification(component, opRemove);
  Erase(components_, component);
  component->owner_ = nullptr;
}

void TComponent::FreeNotification(TComponent* component) {
  if (!component || component == this) return;
  if (std::find(free_notifies_.begin(), free_notifies_.end(), component) == free_notifies_.end())
    free_notifies_.push_back(component);
  if (std::find(component->free_notifies_.begin(), component->free_notifies_.end(), this) ==
      component->free_notifies_.end())
    component->free_notifies_.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* component) {
  Erase(free_notifies_, component);
  if (component) Erase(component->free_notifies_, this);
}

void TComponent::EndLoading() {
  if (!(state_ & csLoading)) return;
  state_ &= ~static_cast<unsigned>(csLoading);
  Loaded();
}

void TComponent::Notification(TComponent* component, TOperation operation) {
  if (operation == opRemove) RemoveFreeNotification(component);
  // The owner passes the news on to everything it owns.
  for (int i = ComponentCount() - 1; i >= 0; --i)
    if (i < ComponentCount() && components_[i] != component)
      components_[i]->Notification(component, operation);
}
