// Parts model loading and drawing.
#include "render/parts_model.h"

#include "console/log.h"

namespace kt {

std::unique_ptr<PartsModel> PartsModel::Load(const std::string&) {
  LogPrintf("ERROR Loading player model...");
  return std::unique_ptr<PartsModel>(new PartsModel());
}

PartsModel::~PartsModel() = default;

void PartsModel::Draw(const CQuaternion&, const CVector*) const {}

void PartsModel::DrawDying(const CQuaternion&, const CVector*, float, float, float) const {}

}  // namespace kt
