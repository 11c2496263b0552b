#pragma once
// The publisher's web address: a host name without a scheme, handed to the URL opener unchanged.

#include "text/gbk_literal.h"
#include "text/types.h"

inline const Text publisher_address = "bbs.example.com"_gbk;
