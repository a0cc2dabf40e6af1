#include "shell/effect_info.h"

#include "resources/effect_identity.h"

std::string BuildAboutText() {
  std::string text = kEffectName;
  text += " v";
  text += std::to_string(kEffectMajorVersion);
  text += '.';
  text += std::to_string(kEffectMinorVersion);
  text += '.';
  text += std::to_string(kEffectFixVersion);
  text += "\rExtracts the spindrel skeleton of any layer.";
  text += "\rUse with Layer > Auto-trace for Trim Path animation.";
  return text;
}

HostError About(HostInData* in, HostOutData* out) {
  const std::string text = BuildAboutText();
  static_assert(kReturnMessageSize > 113);
  in->utils->ansiCopy(text.c_str(), out->returnMessage);
  return kHostErrorNone;
}

HostError GlobalSetup(HostOutData* out) {
  out->version = kEffectVersion;
  out->outFlags = kEffectOutFlags;
  out->outFlags2 = kEffectOutFlags2;
  return kHostErrorNone;
}
