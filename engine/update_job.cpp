#include "engine/update_job.h"

UpdateJob g_updateJob;
