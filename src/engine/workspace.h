#pragma once

namespace tav {
class Workspace;
}
