endheader
pt 342 67 red 0
line 76 -386 106 -395 blue
rect 26 -265 38 -258 teal
circle -180 324 6 purple
path 3 150 -87 170 -82 158 -57 navy
polygon 3 -222 -186 -207 -186 -215 -174 olive
pt -390 154 red 6
line 231 -28 261 -37 blue
rect 115 -105 127 -98 teal
circle 167 306 6 purple
path 3 -251 -124 -231 -119 -243 -94 navy
polygon 3 273 -89 288 -89 280 -77 olive
pt -101 13 red 4
line 341 369 371 360 blue
rect -113 -181 -101 -174 teal
circle -28 80 6 purple
path 3 -325 329 -305 334 -317 359 navy
polygon 3 133 364 148 364 140 376 olive
pt -261 -24 red 2
line 32 10 62 1 blue
rect -214 -178 -202 -171 teal
circle 377 -81 6 purple
path 3 107 -277 127 -272 115 -247 navy
polygon 3 -257 94 -242 94 -250 106 olive
pt -307 77 red 0
line -130 109 -100 100 blue
rect -30 -261 -18 -254 teal
circle -314 99 6 purple
path 3 15 -216 35 -211 23 -186 navy
polygon 3 178 308 193 308 185 320 olive
pt 66 -170 red 6
line -60 -40 -30 -49 blue
rect -330 161 -318 168 teal
circle -77 -280 6 purple
path 3 11 61 31 66 19 91 navy
polygon 3 -223 -311 -208 -311 -216 -299 olive
pt 184 -247 red 4
line -252 209 -222 200 blue
rect -317 107 -305 114 teal
circle 158 -309 6 purple
path 3 214 91 234 96 222 121 navy
polygon 3 236 -297 251 -297 243 -285 olive
pt 382 -110 red 2
line 189 128 219 119 blue
rect -45 33 -33 40 teal
circle -73 147 6 purple
path 3 -335 -211 -315 -206 -327 -181 navy
polygon 3 341 -155 356 -155 348 -143 olive
pt -39 339 red 0
line 261 364 291 355 blue
rect 270 353 282 360 teal
circle 137 -325 6 purple
path 3 17 121 37 126 25 151 navy
polygon 3 205 307 220 307 212 319 olive
pt -355 238 red 6
line 95 -66 125 -75 blue
rect -9 221 3 228 teal
circle 390 139 6 purple
path 3 -280 -371 -260 -366 -272 -341 navy
polygon 3 311 68 326 68 318 80 olive
pt -161 -164 red 4
line -383 -354 -353 -363 blue
rect 100 -121 112 -114 teal
circle 265 392 6 purple
path 3 139 -149 159 -144 147 -119 navy
polygon 3 -53 -132 -38 -132 -46 -120 olive
pt -264 -180 red 2
line -194 -292 -164 -301 blue
rect 176 -152 188 -145 teal
circle 310 -104 6 purple
path 3 39 -400 59 -395 47 -370 navy
polygon 3 155 119 170 119 162 131 olive
pt 135 -18 red 0
line -230 -382 -200 -391 blue
rect -32 -393 -20 -386 teal
circle -78 82 6 purple
path 3 -304 298 -284 303 -296 328 navy
polygon 3 -268 377 -253 377 -261 389 olive
pt -234 -247 red 6
line -200 -117 -170 -126 blue
rect -234 280 -222 287 teal
circle -137 347 6 purple
path 3 -207 -272 -187 -267 -199 -242 navy
polygon 3 -161 -122 -146 -122 -154 -110 olive
pt 102 -275 red 4
line 135 -76 165 -85 blue
rect -142 251 -130 258 teal
circle 87 -91 6 purple
path 3 -278 146 -258 151 -270 176 navy
polygon 3 48 -398 63 -398 55 -386 olive
pt 148 62 red 2
line 221 -110 251 -119 blue
rect 80 276 92 283 teal
circle -375 -90 6 purple
path 3 46 -131 66 -126 54 -101 navy
polygon 3 342 -246 357 -246 349 -234 olive
pt -8 -130 red 0
line -98 73 -68 64 blue
rect 313 331 325 338 teal
circle 156 194 6 purple
path 3 -274 -241 -254 -236 -266 -211 navy
polygon 3 -106 -32 -91 -32 -99 -20 olive
pt 259 172 red 6
line -305 19 -275 10 blue
rect -51 -364 -39 -357 teal
circle -26 -330 6 purple
path 3 28 222 48 227 36 252 navy
polygon 3 -166 140 -151 140 -159 152 olive
pt 211 60 red 4
line 207 -10 237 -19 blue
rect -182 -222 -170 -215 teal
circle -251 171 6 purple
path 3 -207 -199 -187 -194 -199 -169 navy
polygon 3 -196 -179 -181 -179 -189 -167 olive
pt 40 388 red 2
line -75 -149 -45 -158 blue
rect 107 -261 119 -254 teal
circle -101 195 6 purple
path 3 109 237 129 242 117 267 navy
polygon 3 90 -337 105 -337 97 -325 olive
pt -119 166 red 0
line 43 -24 73 -33 blue
rect -298 -275 -286 -268 teal
circle 208 304 6 purple
path 3 72 298 92 303 80 328 navy
polygon 3 13 200 28 200 20 212 olive
pt -125 92 red 6
line -296 338 -266 329 blue
rect 374 -107 386 -100 teal
circle 151 202 6 purple
path 3 -200 -307 -180 -302 -192 -277 navy
polygon 3 -236 112 -221 112 -229 124 olive
pt -158 -39 red 4
line 123 327 153 318 blue
rect 350 138 362 145 teal
circle 37 -17 6 purple
path 3 367 -153 387 -148 375 -123 navy
polygon 3 -168 355 -153 355 -161 367 olive
pt 64 77 red 2
line -128 393 -98 384 blue
rect 67 219 79 226 teal
circle 333 -330 6 purple
path 3 49 82 69 87 57 112 navy
polygon 3 -288 116 -273 116 -281 128 olive
pt 192 -25 red 0
line -160 138 -130 129 blue
rect 64 81 76 88 teal
circle -47 -245 6 purple
path 3 -27 230 -7 235 -19 260 navy
polygon 3 244 -273 259 -273 251 -261 olive
pt -144 272 red 6
line -318 77 -288 68 blue
rect -79 -124 -67 -117 teal
circle -5 41 6 purple
path 3 79 -267 99 -262 87 -237 navy
polygon 3 -113 -154 -98 -154 -106 -142 olive
pt -205 390 red 4
line -262 -185 -232 -194 blue
rect 298 -192 310 -185 teal
circle 206 181 6 purple
path 3 135 -172 155 -167 143 -142 navy
polygon 3 -349 209 -334 209 -342 221 olive
pt 181 -59 red 2
line -70 -178 -40 -187 blue
rect -1 191 11 198 teal
circle -304 120 6 purple
path 3 299 -54 319 -49 307 -24 navy
polygon 3 85 63 100 63 92 75 olive
pt 300 178 red 0
line -125 43 -95 34 blue
rect 394 -301 406 -294 teal
circle -222 393 6 purple
path 3 114 142 134 147 122 172 navy
polygon 3 354 -189 369 -189 361 -177 olive
pt -337 342 red 6
line 99 248 129 239 blue
rect 176 23 188 30 teal
circle 79 -106 6 purple
path 3 257 311 277 316 265 341 navy
polygon 3 336 154 351 154 343 166 olive
pt -373 8 red 4
line -120 161 -90 152 blue
rect -346 142 -334 149 teal
circle 237 -359 6 purple
path 3 50 54 70 59 58 84 navy
polygon 3 -85 -321 -70 -321 -78 -309 olive
pt -183 -289 red 2
line 136 259 166 250 blue
rect 331 384 343 391 teal
circle 49 -144 6 purple
path 3 127 141 147 146 135 171 navy
polygon 3 -69 -300 -54 -300 -62 -288 olive
pt 84 239 red 0
line 74 70 104 61 blue
rect -136 -264 -124 -257 teal
circle 82 -30 6 purple
path 3 287 -97 307 -92 295 -67 navy
polygon 3 -398 -381 -383 -381 -391 -369 olive
pt 391 -27 red 6
line 359 -80 389 -89 blue
rect -281 -125 -269 -118 teal
circle 378 -288 6 purple
path 3 23 -13 43 -8 31 17 navy
polygon 3 -363 -137 -348 -137 -356 -125 olive
pt -221 77 red 4
line -174 319 -144 310 blue
rect -243 392 -231 399 teal
circle 370 360 6 purple
path 3 -244 -287 -224 -282 -236 -257 navy
polygon 3 143 189 158 189 150 201 olive
pt -319 369 red 2
line -347 210 -317 201 blue
rect -129 300 -117 307 teal
circle 152 -13 6 purple
path 3 -336 -109 -316 -104 -328 -79 navy
polygon 3 -144 157 -129 157 -137 169 olive
pt -124 -321 red 0
line -221 -153 -191 -162 blue
rect -337 -361 -325 -354 teal
circle -42 178 6 purple
path 3 -128 239 -108 244 -120 269 navy
polygon 3 48 159 63 159 55 171 olive
pt 59 234 red 6
line -254 197 -224 188 blue
rect -90 133 -78 140 teal
circle -67 397 6 purple
path 3 85 -395 105 -390 93 -365 navy
polygon 3 -132 -382 -117 -382 -125 -370 olive
pt -27 247 red 4
line 170 394 200 385 blue
rect 145 -284 157 -277 teal
circle -115 -176 6 purple
path 3 -277 158 -257 163 -269 188 navy
polygon 3 -209 -176 -194 -176 -202 -164 olive
pt 244 203 red 2
line -180 -353 -150 -362 blue
rect -286 -269 -274 -262 teal
circle -142 367 6 purple
path 3 -384 399 -364 404 -376 429 navy
polygon 3 160 -101 175 -101 167 -89 olive
pt 75 -83 red 0
line -340 -291 -310 -300 blue
rect 228 -75 240 -68 teal
circle -110 107 6 purple
path 3 -360 -12 -340 -7 -352 18 navy
polygon 3 -121 -244 -106 -244 -114 -232 olive
pt -288 -163 red 6
line 36 238 66 229 blue
rect -142 -309 -130 -302 teal
circle 112 -285 6 purple
path 3 -18 -84 2 -79 -10 -54 navy
polygon 3 164 239 179 239 171 251 olive
pt -218 -80 red 4
line -337 -14 -307 -23 blue
rect -177 -95 -165 -88 teal
circle -376 121 6 purple
path 3 142 229 162 234 150 259 navy
polygon 3 9 274 24 274 16 286 olive
pt 87 189 red 2
line -121 257 -91 248 blue
rect 335 -162 347 -155 teal
circle -283 -186 6 purple
path 3 -143 174 -123 179 -135 204 navy
polygon 3 -278 -199 -263 -199 -271 -187 olive
pt 241 -215 red 0
line -224 -201 -194 -210 blue
rect 208 -264 220 -257 teal
circle 154 357 6 purple
path 3 -65 118 -45 123 -57 148 navy
polygon 3 -212 153 -197 153 -205 165 olive
pt 102 -151 red 6
line -270 33 -240 24 blue
rect -344 -217 -332 -210 teal
circle 316 -53 6 purple
path 3 105 -394 125 -389 113 -364 navy
polygon 3 -312 -45 -297 -45 -305 -33 olive
pt 92 -125 red 4
line -176 -297 -146 -306 blue
rect 399 349 411 356 teal
circle -97 -35 6 purple
path 3 219 66 239 71 227 96 navy
polygon 3 166 -66 181 -66 173 -54 olive
pt 107 -207 red 2
line 145 -369 175 -378 blue
rect 294 302 306 309 teal
circle 101 -222 6 purple
path 3 -120 -119 -100 -114 -112 -89 navy
polygon 3 -242 -275 -227 -275 -235 -263 olive
pt 108 357 red 0
line 329 -279 359 -288 blue
rect 389 224 401 231 teal
circle 67 -103 6 purple
path 3 -299 -130 -279 -125 -291 -100 navy
polygon 3 229 -134 244 -134 236 -122 olive
pt 363 -12 red 6
line -304 279 -274 270 blue
rect -60 363 -48 370 teal
circle -165 -165 6 purple
path 3 212 118 232 123 220 148 navy
polygon 3 147 373 162 373 154 385 olive
pt -292 303 red 4
line -29 -19 1 -28 blue
rect 158 50 170 57 teal
circle 198 -9 6 purple
path 3 -253 31 -233 36 -245 61 navy
polygon 3 348 -63 363 -63 355 -51 olive
pt -85 -199 red 2
line -83 34 -53 25 blue
rect -96 -57 -84 -50 teal
circle 78 194 6 purple
path 3 299 41 319 46 307 71 navy
polygon 3 6 -215 21 -215 13 -203 olive
pt 212 297 red 0
line -124 -51 -94 -60 blue
rect -314 270 -302 277 teal
circle -360 155 6 purple
path 3 -60 -16 -40 -11 -52 14 navy
polygon 3 233 -151 248 -151 240 -139 olive
pt 368 -34 red 6
line -143 79 -113 70 blue
rect -211 -91 -199 -84 teal
circle 127 -120 6 purple
path 3 119 156 139 161 127 186 navy
polygon 3 132 -304 147 -304 139 -292 olive
pt 351 332 red 4
line 310 79 340 70 blue
rect 142 -364 154 -357 teal
circle 197 204 6 purple
path 3 166 -398 186 -393 174 -368 navy
polygon 3 91 -279 106 -279 98 -267 olive
pt 223 98 red 2
line -140 -347 -110 -356 blue
rect -24 12 -12 19 teal
circle -195 11 6 purple
path 3 244 -2 264 3 252 28 navy
polygon 3 -320 -19 -305 -19 -313 -7 olive
pt -387 -307 red 0
line -93 -236 -63 -245 blue
rect -101 383 -89 390 teal
circle -279 41 6 purple
path 3 95 -348 115 -343 103 -318 navy
polygon 3 -234 -269 -219 -269 -227 -257 olive
pt -48 45 red 6
line -147 308 -117 299 blue
rect -378 -87 -366 -80 teal
circle -391 -123 6 purple
path 3 -364 -333 -344 -328 -356 -303 navy
polygon 3 -367 387 -352 387 -360 399 olive
pt -242 89 red 4
line 265 -382 295 -391 blue
rect -215 -81 -203 -74 teal
circle 240 103 6 purple
path 3 -12 28 8 33 -4 58 navy
polygon 3 19 223 34 223 26 235 olive
pt -345 -33 red 2
line -218 -271 -188 -280 blue
rect 0 267 12 274 teal
circle 175 239 6 purple
path 3 138 227 158 232 146 257 navy
polygon 3 -25 283 -10 283 -18 295 olive
pt -63 274 red 0
line -117 -400 -87 -409 blue
rect -48 -180 -36 -173 teal
circle 258 90 6 purple
path 3 148 -389 168 -384 156 -359 navy
polygon 3 178 -368 193 -368 185 -356 olive
pt 16 -233 red 6
line -199 -230 -169 -239 blue
rect 123 108 135 115 teal
circle 124 59 6 purple
path 3 238 -163 258 -158 246 -133 navy
polygon 3 145 204 160 204 152 216 olive
pt 226 -191 red 4
line 146 166 176 157 blue
rect -288 -311 -276 -304 teal
circle -105 -116 6 purple
path 3 233 25 253 30 241 55 navy
polygon 3 -183 -211 -168 -211 -176 -199 olive
pt -111 -318 red 2
line -168 246 -138 237 blue
rect 51 233 63 240 teal
circle -252 321 6 purple
path 3 -260 -38 -240 -33 -252 -8 navy
polygon 3 -372 391 -357 391 -365 403 olive
pt 83 136 red 0
line -92 44 -62 35 blue
rect 72 115 84 122 teal
circle -167 -172 6 purple
path 3 -200 -377 -180 -372 -192 -347 navy
polygon 3 -369 -14 -354 -14 -362 -2 olive
pt 384 370 red 6
line -161 -397 -131 -406 blue
rect 321 64 333 71 teal
circle -138 367 6 purple
path 3 -345 262 -325 267 -337 292 navy
polygon 3 -115 271 -100 271 -108 283 olive
pt -108 -293 red 4
line -288 294 -258 285 blue
rect -132 326 -120 333 teal
circle -216 82 6 purple
path 3 -360 13 -340 18 -352 43 navy
polygon 3 -384 224 -369 224 -377 236 olive
pt -371 67 red 2
line 191 -248 221 -257 blue
rect -219 124 -207 131 teal
circle 202 226 6 purple
path 3 96 -397 116 -392 104 -367 navy
polygon 3 -261 -20 -246 -20 -254 -8 olive
pt -40 -286 red 0
line 91 184 121 175 blue
rect -394 107 -382 114 teal
circle -131 206 6 purple
path 3 -177 99 -157 104 -169 129 navy
polygon 3 -222 -119 -207 -119 -215 -107 olive
pt -226 223 red 6
line 68 308 98 299 blue
rect -142 -325 -130 -318 teal
circle -120 99 6 purple
path 3 394 -252 414 -247 402 -222 navy
polygon 3 371 -188 386 -188 378 -176 olive
pt 102 -225 red 4
line -280 -42 -250 -51 blue
rect -388 68 -376 75 teal
circle 217 -183 6 purple
path 3 -234 -291 -214 -286 -226 -261 navy
polygon 3 206 393 221 393 213 405 olive
pt 244 -14 red 2
line 38 396 68 387 blue
rect 90 346 102 353 teal
circle 193 30 6 purple
path 3 187 376 207 381 195 406 navy
polygon 3 -359 73 -344 73 -352 85 olive
pt 347 352 red 0
line -212 -139 -182 -148 blue
rect 374 -259 386 -252 teal
circle -100 -361 6 purple
path 3 -71 -360 -51 -355 -63 -330 navy
polygon 3 65 -342 80 -342 72 -330 olive
pt -311 113 red 6
line 340 332 370 323 blue
rect -396 117 -384 124 teal
circle 322 151 6 purple
path 3 -385 124 -365 129 -377 154 navy
polygon 3 272 69 287 69 279 81 olive
pt -29 352 red 4
line -338 -42 -308 -51 blue
rect 328 -36 340 -29 teal
circle -141 307 6 purple
path 3 -203 299 -183 304 -195 329 navy
polygon 3 -338 354 -323 354 -331 366 olive
pt 204 -69 red 2
line 389 278 419 269 blue
rect 74 89 86 96 teal
circle -343 226 6 purple
path 3 342 77 362 82 350 107 navy
polygon 3 306 252 321 252 313 264 olive
pt -68 -287 red 0
line 139 -19 169 -28 blue
rect 329 -285 341 -278 teal
circle 267 -393 6 purple
path 3 -212 -338 -192 -333 -204 -308 navy
polygon 3 -200 310 -185 310 -193 322 olive
pt 336 50 red 6
line -228 -277 -198 -286 blue
rect 45 -152 57 -145 teal
circle -306 -149 6 purple
path 3 -320 -88 -300 -83 -312 -58 navy
polygon 3 -345 -16 -330 -16 -338 -4 olive
pt -395 -284 red 4
line 85 -183 115 -192 blue
rect 251 -228 263 -221 teal
circle -145 -132 6 purple
path 3 -372 -130 -352 -125 -364 -100 navy
polygon 3 -252 -257 -237 -257 -245 -245 olive
pt 197 -348 red 2
line -294 363 -264 354 blue
rect -172 83 -160 90 teal
circle 18 -382 6 purple
path 3 -93 -280 -73 -275 -85 -250 navy
polygon 3 -255 -162 -240 -162 -248 -150 olive
pt -232 -384 red 0
line -131 -130 -101 -139 blue
rect 206 368 218 375 teal
circle 228 325 6 purple
path 3 69 274 89 279 77 304 navy
polygon 3 -225 -154 -210 -154 -218 -142 olive
pt -88 -134 red 6
line 91 -135 121 -144 blue
rect 271 -65 283 -58 teal
circle -169 213 6 purple
path 3 59 -185 79 -180 67 -155 navy
polygon 3 43 -188 58 -188 50 -176 olive
pt 311 -343 red 4
line 235 147 265 138 blue
rect 297 -393 309 -386 teal
circle -119 139 6 purple
path 3 321 -85 341 -80 329 -55 navy
polygon 3 139 372 154 372 146 384 olive
pt -168 -269 red 2
line 111 -182 141 -191 blue
rect -251 366 -239 373 teal
circle -32 312 6 purple
path 3 176 -188 196 -183 184 -158 navy
polygon 3 195 60 210 60 202 72 olive
pt 11 223 red 0
line -340 -260 -310 -269 blue
rect -323 114 -311 121 teal
circle -244 213 6 purple
path 3 -31 322 -11 327 -23 352 navy
polygon 3 367 -364 382 -364 374 -352 olive
pt 190 40 red 6
line -239 -263 -209 -272 blue
rect 327 13 339 20 teal
circle -319 298 6 purple
path 3 316 -236 336 -231 324 -206 navy
polygon 3 102 -313 117 -313 109 -301 olive
pt -176 -27 red 4
line -368 -223 -338 -232 blue
rect -113 -226 -101 -219 teal
circle 32 346 6 purple
path 3 388 297 408 302 396 327 navy
polygon 3 -210 -376 -195 -376 -203 -364 olive
pt -187 10 red 2
line 42 288 72 279 blue
rect 380 16 392 23 teal
circle -207 312 6 purple
path 3 -206 -306 -186 -301 -198 -276 navy
polygon 3 -368 260 -353 260 -361 272 olive
pt 127 294 red 0
line 309 -85 339 -94 blue
rect -352 148 -340 155 teal
circle -82 116 6 purple
path 3 -203 -174 -183 -169 -195 -144 navy
polygon 3 -188 102 -173 102 -181 114 olive
pt 180 68 red 6
line -108 185 -78 176 blue
rect 153 162 165 169 teal
circle -384 -124 6 purple
path 3 -67 184 -47 189 -59 214 navy
polygon 3 -131 -176 -116 -176 -124 -164 olive
pt -30 -324 red 4
line -164 371 -134 362 blue
rect 173 -176 185 -169 teal
circle 64 -297 6 purple
path 3 207 -15 227 -10 215 15 navy
polygon 3 -21 -50 -6 -50 -14 -38 olive
pt 151 -74 red 2
line -279 393 -249 384 blue
rect 145 165 157 172 teal
circle 229 146 6 purple
path 3 42 -31 62 -26 50 -1 navy
polygon 3 59 16 74 16 66 28 olive
pt -187 59 red 0
line 244 -371 274 -380 blue
rect -243 138 -231 145 teal
circle -280 96 6 purple
path 3 223 -242 243 -237 231 -212 navy
polygon 3 254 -186 269 -186 261 -174 olive
pt -194 116 red 6
line 36 -291 66 -300 blue
rect -47 122 -35 129 teal
circle 98 -138 6 purple
path 3 213 -113 233 -108 221 -83 navy
polygon 3 -341 -271 -326 -271 -334 -259 olive
pt 85 225 red 4
line -47 -255 -17 -264 blue
rect -243 94 -231 101 teal
circle 106 194 6 purple
path 3 -370 -111 -350 -106 -362 -81 navy
polygon 3 -157 392 -142 392 -150 404 olive
pt -363 -400 red 2
line -345 -34 -315 -43 blue
rect 299 109 311 116 teal
circle 38 -167 6 purple
path 3 322 -192 342 -187 330 -162 navy
polygon 3 -396 -148 -381 -148 -389 -136 olive
pt 179 -103 red 0
line -57 288 -27 279 blue
rect -231 160 -219 167 teal
circle -373 163 6 purple
path 3 -121 212 -101 217 -113 242 navy
polygon 3 241 -299 256 -299 248 -287 olive
pt -188 17 red 6
line 220 -83 250 -92 blue
rect 346 314 358 321 teal
circle 383 26 6 purple
path 3 -286 -386 -266 -381 -278 -356 navy
polygon 3 200 358 215 358 207 370 olive
pt 294 -289 red 4
line -82 314 -52 305 blue
rect 165 -193 177 -186 teal
circle -329 243 6 purple
path 3 -201 211 -181 216 -193 241 navy
polygon 3 -313 -152 -298 -152 -306 -140 olive
pt -334 335 red 2
line -270 10 -240 1 blue
rect -148 -49 -136 -42 teal
circle -191 -340 6 purple
path 3 265 34 285 39 273 64 navy
polygon 3 162 324 177 324 169 336 olive
pt -236 -191 red 0
line 11 -39 41 -48 blue
rect 268 -315 280 -308 teal
circle -316 309 6 purple
path 3 304 -140 324 -135 312 -110 navy
polygon 3 -264 187 -249 187 -257 199 olive
pt 169 -99 red 6
line 337 160 367 151 blue
rect 317 -183 329 -176 teal
circle -388 -118 6 purple
path 3 -40 -151 -20 -146 -32 -121 navy
polygon 3 328 126 343 126 335 138 olive
pt 40 -315 red 4
line -34 135 -4 126 blue
rect 45 -6 57 1 teal
circle -338 95 6 purple
path 3 268 352 288 357 276 382 navy
polygon 3 41 -365 56 -365 48 -353 olive
pt -272 -233 red 2
line 96 -174 126 -183 blue
rect 140 355 152 362 teal
circle 94 -322 6 purple
path 3 366 -57 386 -52 374 -27 navy
polygon 3 389 381 404 381 396 393 olive
pt -375 43 red 0
line -378 -163 -348 -172 blue
rect -121 -303 -109 -296 teal
circle -356 137 6 purple
path 3 -35 -214 -15 -209 -27 -184 navy
polygon 3 39 -350 54 -350 46 -338 olive
pt -74 146 red 6
line -322 -122 -292 -131 blue
rect -131 -6 -119 1 teal
circle 30 -277 6 purple
path 3 -132 385 -112 390 -124 415 navy
polygon 3 297 -43 312 -43 304 -31 olive
pt -270 -318 red 4
line 94 -337 124 -346 blue
rect 72 -346 84 -339 teal
circle 340 -277 6 purple
path 3 -71 22 -51 27 -63 52 navy
polygon 3 -120 -96 -105 -96 -113 -84 olive
pt 278 -315 red 2
line -375 365 -345 356 blue
rect -357 -344 -345 -337 teal
circle 352 60 6 purple
path 3 -221 200 -201 205 -213 230 navy
polygon 3 243 153 258 153 250 165 olive
pt 242 -328 red 0
line -260 257 -230 248 blue
rect 190 -333 202 -326 teal
circle 222 37 6 purple
path 3 -207 382 -187 387 -199 412 navy
polygon 3 151 -297 166 -297 158 -285 olive
pt 32 187 red 6
line 34 -359 64 -368 blue
rect -168 308 -156 315 teal
circle -235 -253 6 purple
path 3 233 -177 253 -172 241 -147 navy
polygon 3 145 -374 160 -374 152 -362 olive
pt 199 362 red 4
line -68 309 -38 300 blue
rect 212 264 224 271 teal
circle 112 260 6 purple
path 3 5 -188 25 -183 13 -158 navy
polygon 3 -203 -11 -188 -11 -196 1 olive
pt 6 351 red 2
line 19 237 49 228 blue
rect -326 -307 -314 -300 teal
circle -371 -243 6 purple
path 3 -50 -89 -30 -84 -42 -59 navy
polygon 3 166 -360 181 -360 173 -348 olive
pt 134 274 red 0
line -318 78 -288 69 blue
rect -265 -140 -253 -133 teal
circle -397 327 6 purple
path 3 -178 149 -158 154 -170 179 navy
polygon 3 369 355 384 355 376 367 olive
pt 203 -262 red 6
line -397 -258 -367 -267 blue
rect -203 389 -191 396 teal
circle -192 -19 6 purple
path 3 199 277 219 282 207 307 navy
polygon 3 354 -19 369 -19 361 -7 olive
pt -120 -335 red 4
line -386 58 -356 49 blue
rect -201 -87 -189 -80 teal
circle -158 252 6 purple
path 3 187 212 207 217 195 242 navy
polygon 3 -43 73 -28 73 -36 85 olive
pt 133 -365 red 2
line 2 131 32 122 blue
rect -48 387 -36 394 teal
circle -128 379 6 purple
path 3 -2 112 18 117 6 142 navy
polygon 3 -87 253 -72 253 -80 265 olive
pt 15 53 red 0
line 340 365 370 356 blue
rect -6 334 6 341 teal
circle -205 124 6 purple
path 3 186 82 206 87 194 112 navy
polygon 3 -16 -363 -1 -363 -9 -351 olive
pt -31 103 red 6
line -167 52 -137 43 blue
rect 230 -71 242 -64 teal
circle 27 -271 6 purple
path 3 -388 -9 -368 -4 -380 21 navy
polygon 3 -143 -125 -128 -125 -136 -113 olive
pt 80 270 red 4
line 308 -392 338 -401 blue
rect -192 -232 -180 -225 teal
circle -294 158 6 purple
path 3 -89 149 -69 154 -81 179 navy
polygon 3 -346 -398 -331 -398 -339 -386 olive
pt -179 -210 red 2
line 64 -204 94 -213 blue
rect 397 -213 409 -206 teal
circle 219 321 6 purple
path 3 93 -316 113 -311 101 -286 navy
polygon 3 295 -326 310 -326 302 -314 olive
pt 376 -335 red 0
line 91 370 121 361 blue
rect -334 -48 -322 -41 teal
circle -265 399 6 purple
path 3 -347 -277 -327 -272 -339 -247 navy
polygon 3 271 364 286 364 278 376 olive
pt -233 218 red 6
line 280 20 310 11 blue
rect -67 -149 -55 -142 teal
circle -275 -142 6 purple
path 3 -156 -300 -136 -295 -148 -270 navy
polygon 3 180 -62 195 -62 187 -50 olive
pt -86 -99 red 4
line -311 -243 -281 -252 blue
rect -13 -24 -1 -17 teal
circle 28 -71 6 purple
path 3 104 -383 124 -378 112 -353 navy
polygon 3 279 55 294 55 286 67 olive
pt 54 -105 red 2
line 381 271 411 262 blue
rect -254 140 -242 147 teal
circle -299 -16 6 purple
path 3 -154 46 -134 51 -146 76 navy
polygon 3 30 240 45 240 37 252 olive
pt -56 96 red 0
line -240 62 -210 53 blue
rect -154 -335 -142 -328 teal
circle -227 100 6 purple
path 3 -329 151 -309 156 -321 181 navy
polygon 3 -222 -362 -207 -362 -215 -350 olive
pt 66 -363 red 6
line -171 -302 -141 -311 blue
rect 342 258 354 265 teal
circle 247 -359 6 purple
path 3 -177 355 -157 360 -169 385 navy
polygon 3 -194 -290 -179 -290 -187 -278 olive
pt -180 -144 red 4
line -61 365 -31 356 blue
rect -202 -246 -190 -239 teal
circle -397 -20 6 purple
path 3 -171 8 -151 13 -163 38 navy
polygon 3 -336 -20 -321 -20 -329 -8 olive
pt 308 -182 red 2
line -186 16 -156 7 blue
rect 333 -77 345 -70 teal
circle 357 -143 6 purple
path 3 313 308 333 313 321 338 navy
polygon 3 138 -103 153 -103 145 -91 olive
pt -80 -219 red 0
line 53 -132 83 -141 blue
rect 110 222 122 229 teal
circle -301 -196 6 purple
path 3 39 -285 59 -280 47 -255 navy
polygon 3 327 -386 342 -386 334 -374 olive
pt 332 183 red 6
line -364 300 -334 291 blue
rect -354 -109 -342 -102 teal
circle 347 252 6 purple
path 3 177 202 197 207 185 232 navy
polygon 3 -274 226 -259 226 -267 238 olive
pt -126 243 red 4
line 115 -279 145 -288 blue
rect 314 -54 326 -47 teal
circle -236 -61 6 purple
path 3 -166 77 -146 82 -158 107 navy
polygon 3 249 -329 264 -329 256 -317 olive
pt 277 -171 red 2
line 119 -122 149 -131 blue
rect 222 -119 234 -112 teal
circle 157 -326 6 purple
path 3 -357 -119 -337 -114 -349 -89 navy
polygon 3 -36 -105 -21 -105 -29 -93 olive
pt -243 321 red 0
line 360 336 390 327 blue
rect -162 375 -150 382 teal
circle 75 -134 6 purple
path 3 347 -357 367 -352 355 -327 navy
polygon 3 115 -161 130 -161 122 -149 olive
pt 83 52 red 6
line 295 116 325 107 blue
rect -9 -306 3 -299 teal
circle 185 -384 6 purple
path 3 75 78 95 83 83 108 navy
polygon 3 105 152 120 152 112 164 olive
pt -219 -158 red 4
line 332 93 362 84 blue
rect 151 312 163 319 teal
circle -315 -166 6 purple
path 3 -26 -112 -6 -107 -18 -82 navy
polygon 3 -291 276 -276 276 -284 288 olive
pt 356 -23 red 2
line 253 83 283 74 blue
rect 133 -58 145 -51 teal
circle -216 -48 6 purple
path 3 46 133 66 138 54 163 navy
polygon 3 102 354 117 354 109 366 olive
pt 247 -258 red 0
line -28 382 2 373 blue
rect -168 324 -156 331 teal
circle -8 -263 6 purple
path 3 99 232 119 237 107 262 navy
polygon 3 388 -151 403 -151 395 -139 olive
pt -360 306 red 6
line 334 35 364 26 blue
rect 136 169 148 176 teal
circle -230 -395 6 purple
path 3 305 -10 325 -5 313 20 navy
polygon 3 257 298 272 298 264 310 olive
pt 113 -182 red 4
line 64 47 94 38 blue
rect 378 -214 390 -207 teal
circle -293 -86 6 purple
path 3 -94 69 -74 74 -86 99 navy
polygon 3 -57 360 -42 360 -50 372 olive
pt 86 291 red 2
line 309 -124 339 -133 blue
rect 39 272 51 279 teal
circle -64 -52 6 purple
path 3 398 218 418 223 406 248 navy
polygon 3 -347 361 -332 361 -340 373 olive
pt -117 -191 red 0
line -284 128 -254 119 blue
rect -170 32 -158 39 teal
circle 387 -104 6 purple
path 3 352 -61 372 -56 360 -31 navy
polygon 3 -155 389 -140 389 -148 401 olive
pt 43 142 red 6
line 332 -9 362 -18 blue
rect 352 -170 364 -163 teal
circle 368 -209 6 purple
path 3 -324 -83 -304 -78 -316 -53 navy
polygon 3 102 2 117 2 109 14 olive
pt -342 -377 red 4
line -190 -243 -160 -252 blue
rect -337 13 -325 20 teal
circle 332 -160 6 purple
path 3 28 204 48 209 36 234 navy
polygon 3 -307 -289 -292 -289 -300 -277 olive
pt 183 34 red 2
line 65 -144 95 -153 blue
rect -259 -286 -247 -279 teal
circle 318 -255 6 purple
path 3 241 -219 261 -214 249 -189 navy
polygon 3 395 -192 410 -192 402 -180 olive
pt -159 77 red 0
line -299 -190 -269 -199 blue
rect 206 83 218 90 teal
circle -240 119 6 purple
path 3 -116 70 -96 75 -108 100 navy
polygon 3 150 274 165 274 157 286 olive
pt -273 -39 red 6
line -103 258 -73 249 blue
rect -227 81 -215 88 teal
circle 299 80 6 purple
path 3 358 -282 378 -277 366 -252 navy
polygon 3 299 -305 314 -305 306 -293 olive
pt 97 -170 red 4
line 396 -329 426 -338 blue
rect -16 -280 -4 -273 teal
circle 390 274 6 purple
path 3 -89 -250 -69 -245 -81 -220 navy
polygon 3 170 238 185 238 177 250 olive
pt -276 311 red 2
line 165 104 195 95 blue
rect 222 84 234 91 teal
circle -142 -254 6 purple
path 3 368 -181 388 -176 376 -151 navy
polygon 3 -354 279 -339 279 -347 291 olive
pt 305 242 red 0
line 207 -217 237 -226 blue
rect -355 -81 -343 -74 teal
circle -57 189 6 purple
path 3 346 -257 366 -252 354 -227 navy
polygon 3 243 -317 258 -317 250 -305 olive
pt 212 -59 red 6
line -348 -323 -318 -332 blue
rect 334 -90 346 -83 teal
circle -161 -287 6 purple
path 3 22 25 42 30 30 55 navy
polygon 3 -74 240 -59 240 -67 252 olive
pt 262 -348 red 4
line 162 -65 192 -74 blue
rect -340 -158 -328 -151 teal
circle 19 -116 6 purple
path 3 267 -383 287 -378 275 -353 navy
polygon 3 177 -112 192 -112 184 -100 olive
pt 158 20 red 2
line 355 -326 385 -335 blue
rect 345 -178 357 -171 teal
circle -335 -174 6 purple
path 3 294 230 314 235 302 260 navy
polygon 3 155 -61 170 -61 162 -49 olive
pt 340 -236 red 0
line -363 -17 -333 -26 blue
rect 205 88 217 95 teal
circle -47 196 6 purple
path 3 -389 -302 -369 -297 -381 -272 navy
polygon 3 323 233 338 233 330 245 olive
pt -91 -357 red 6
line 327 -256 357 -265 blue
rect 345 -307 357 -300 teal
circle -153 -22 6 purple
path 3 157 -90 177 -85 165 -60 navy
polygon 3 -209 -177 -194 -177 -202 -165 olive
pt 96 -351 red 4
line -254 -320 -224 -329 blue
rect 61 -40 73 -33 teal
circle 23 -335 6 purple
path 3 -164 -312 -144 -307 -156 -282 navy
polygon 3 374 120 389 120 381 132 olive
pt -219 -251 red 2
line 58 189 88 180 blue
rect 371 9 383 16 teal
circle 137 204 6 purple
path 3 -292 -335 -272 -330 -284 -305 navy
polygon 3 262 -76 277 -76 269 -64 olive
pt -262 21 red 0
line -127 15 -97 6 blue
rect -156 -295 -144 -288 teal
circle -205 -104 6 purple
path 3 213 -271 233 -266 221 -241 navy
polygon 3 0 -332 15 -332 7 -320 olive
pt 72 -171 red 6
line -87 -261 -57 -270 blue
rect 230 -220 242 -213 teal
circle -71 261 6 purple
path 3 -284 106 -264 111 -276 136 navy
polygon 3 -152 -114 -137 -114 -145 -102 olive
pt 85 -374 red 4
line -265 369 -235 360 blue
rect -133 -132 -121 -125 teal
circle -24 36 6 purple
path 3 -106 185 -86 190 -98 215 navy
polygon 3 188 0 203 0 195 12 olive
pt -279 132 red 2
line -149 365 -119 356 blue
rect -215 285 -203 292 teal
circle 111 -15 6 purple
path 3 -373 -27 -353 -22 -365 3 navy
polygon 3 250 272 265 272 257 284 olive
pt 386 292 red 0
line -237 -254 -207 -263 blue
rect -375 268 -363 275 teal
circle 324 90 6 purple
path 3 151 -262 171 -257 159 -232 navy
polygon 3 -113 83 -98 83 -106 95 olive
pt -160 -342 red 6
line -362 -329 -332 -338 blue
rect 178 -347 190 -340 teal
circle -303 -314 6 purple
path 3 -66 -217 -46 -212 -58 -187 navy
polygon 3 -91 69 -76 69 -84 81 olive
pt -12 71 red 4
line -112 297 -82 288 blue
rect -269 286 -257 293 teal
circle -93 -94 6 purple
path 3 -174 387 -154 392 -166 417 navy
polygon 3 -230 32 -215 32 -223 44 olive
pt 397 330 red 2
line 124 186 154 177 blue
rect -239 -296 -227 -289 teal
circle -87 -271 6 purple
path 3 -380 -328 -360 -323 -372 -298 navy
polygon 3 312 279 327 279 319 291 olive
pt 96 -16 red 0
line 200 -212 230 -221 blue
rect -230 247 -218 254 teal
circle -7 -120 6 purple
path 3 278 -110 298 -105 286 -80 navy
polygon 3 -334 1 -319 1 -327 13 olive
pt -140 -5 red 6
line -197 34 -167 25 blue
rect -307 -235 -295 -228 teal
circle 209 -133 6 purple
path 3 290 -76 310 -71 298 -46 navy
polygon 3 -5 -278 10 -278 2 -266 olive
pt 202 32 red 4
line -52 384 -22 375 blue
rect 345 -376 357 -369 teal
circle -186 128 6 purple
path 3 286 -357 306 -352 294 -327 navy
polygon 3 45 -193 60 -193 52 -181 olive
pt -185 -190 red 2
line -73 -82 -43 -91 blue
rect -252 128 -240 135 teal
circle -186 -300 6 purple
path 3 5 383 25 388 13 413 navy
polygon 3 -75 87 -60 87 -68 99 olive
pt 328 33 red 0
line -184 283 -154 274 blue
rect -290 -342 -278 -335 teal
circle -183 280 6 purple
path 3 380 -375 400 -370 388 -345 navy
polygon 3 -322 -81 -307 -81 -315 -69 olive
pt 281 383 red 6
line -362 -192 -332 -201 blue
rect 6 297 18 304 teal
circle 196 -27 6 purple
path 3 -87 182 -67 187 -79 212 navy
polygon 3 -323 126 -308 126 -316 138 olive
pt 36 -42 red 4
line -136 -286 -106 -295 blue
rect -161 87 -149 94 teal
circle -191 -374 6 purple
path 3 -314 396 -294 401 -306 426 navy
polygon 3 -255 270 -240 270 -248 282 olive
pt -179 227 red 2
line -362 -366 -332 -375 blue
rect 97 -182 109 -175 teal
circle -359 -10 6 purple
path 3 -224 -99 -204 -94 -216 -69 navy
polygon 3 46 -25 61 -25 53 -13 olive
pt 18 219 red 0
line 43 -132 73 -141 blue
rect -143 178 -131 185 teal
circle 308 -198 6 purple
path 3 247 -87 267 -82 255 -57 navy
polygon 3 390 198 405 198 397 210 olive
pt -261 -298 red 6
line -322 39 -292 30 blue
rect 256 371 268 378 teal
circle 140 -251 6 purple
path 3 -24 380 -4 385 -16 410 navy
polygon 3 193 -208 208 -208 200 -196 olive
pt 255 92 red 4
line -167 -69 -137 -78 blue
rect 141 177 153 184 teal
circle 166 210 6 purple
path 3 185 -47 205 -42 193 -17 navy
polygon 3 -147 -246 -132 -246 -140 -234 olive
pt 294 -324 red 2
line 92 -63 122 -72 blue
rect -145 367 -133 374 teal
circle 274 -310 6 purple
path 3 374 29 394 34 382 59 navy
polygon 3 195 -244 210 -244 202 -232 olive
pt 237 256 red 0
line -244 -275 -214 -284 blue
rect 100 -101 112 -94 teal
circle -152 -1 6 purple
path 3 -153 -165 -133 -160 -145 -135 navy
polygon 3 318 -312 333 -312 325 -300 olive
pt -7 -339 red 6
line -120 -242 -90 -251 blue
rect -266 35 -254 42 teal
circle 244 -144 6 purple
path 3 -339 128 -319 133 -331 158 navy
polygon 3 -110 60 -95 60 -103 72 olive
pt -227 -345 red 4
line 77 -159 107 -168 blue
rect -333 97 -321 104 teal
circle -339 -108 6 purple
path 3 -312 95 -292 100 -304 125 navy
polygon 3 336 260 351 260 343 272 olive
pt -227 -66 red 2
line 24 158 54 149 blue
rect 384 -152 396 -145 teal
circle 71 -365 6 purple
path 3 91 138 111 143 99 168 navy
polygon 3 -183 20 -168 20 -176 32 olive
pt 140 20 red 0
line 122 -21 152 -30 blue
rect 149 214 161 221 teal
circle -25 -306 6 purple
path 3 -67 -313 -47 -308 -59 -283 navy
polygon 3 186 -307 201 -307 193 -295 olive
pt -164 -367 red 6
line 136 -362 166 -371 blue
rect -349 -301 -337 -294 teal
circle 394 -41 6 purple
path 3 131 140 151 145 139 170 navy
polygon 3 334 357 349 357 341 369 olive
pt -348 -350 red 4
line -4 253 26 244 blue
rect -295 378 -283 385 teal
circle 113 232 6 purple
path 3 -119 -328 -99 -323 -111 -298 navy
polygon 3 224 73 239 73 231 85 olive
pt -206 -345 red 2
line 117 20 147 11 blue
rect -12 -27 0 -20 teal
circle -290 198 6 purple
path 3 -128 -296 -108 -291 -120 -266 navy
polygon 3 -302 195 -287 195 -295 207 olive
pt 169 -64 red 0
line -372 -182 -342 -191 blue
rect -295 -238 -283 -231 teal
circle 257 65 6 purple
path 3 -211 384 -191 389 -203 414 navy
polygon 3 -121 82 -106 82 -114 94 olive
pt 207 -46 red 6
line -299 92 -269 83 blue
rect 135 -308 147 -301 teal
circle -2 328 6 purple
path 3 -392 307 -372 312 -384 337 navy
polygon 3 -323 148 -308 148 -316 160 olive
pt -239 282 red 4
line -296 167 -266 158 blue
rect -110 10 -98 17 teal
circle 363 -212 6 purple
path 3 344 -110 364 -105 352 -80 navy
polygon 3 328 -271 343 -271 335 -259 olive
pt -69 -103 red 2
line -136 -354 -106 -363 blue
rect 55 392 67 399 teal
circle 372 314 6 purple
path 3 106 -239 126 -234 114 -209 navy
polygon 3 7 11 22 11 14 23 olive
pt -194 21 red 0
line -9 138 21 129 blue
rect -268 287 -256 294 teal
circle 73 -383 6 purple
path 3 21 -396 41 -391 29 -366 navy
polygon 3 75 -33 90 -33 82 -21 olive
pt 28 75 red 6
line -76 124 -46 115 blue
rect -128 -383 -116 -376 teal
circle 119 348 6 purple
path 3 47 -275 67 -270 55 -245 navy
polygon 3 -340 -30 -325 -30 -333 -18 olive
pt -215 -238 red 4
line -25 215 5 206 blue
rect -15 215 -3 222 teal
circle -118 252 6 purple
path 3 -324 272 -304 277 -316 302 navy
polygon 3 245 391 260 391 252 403 olive
pt -126 255 red 2
line -105 139 -75 130 blue
rect 304 -214 316 -207 teal
circle -150 -1 6 purple
path 3 216 -4 236 1 224 26 navy
polygon 3 -326 -132 -311 -132 -319 -120 olive
pt -88 36 red 0
line 377 -45 407 -54 blue
rect 46 362 58 369 teal
circle 149 -53 6 purple
path 3 118 -172 138 -167 126 -142 navy
polygon 3 282 -292 297 -292 289 -280 olive
pt -151 -312 red 6
line -286 -338 -256 -347 blue
rect 358 345 370 352 teal
circle 249 15 6 purple
path 3 122 388 142 393 130 418 navy
polygon 3 45 -394 60 -394 52 -382 olive
pt -274 33 red 4
line -397 337 -367 328 blue
rect -131 28 -119 35 teal
circle 140 -69 6 purple
path 3 310 -271 330 -266 318 -241 navy
polygon 3 -177 316 -162 316 -170 328 olive
pt -259 330 red 2
line -256 -200 -226 -209 blue
rect -352 375 -340 382 teal
circle 302 241 6 purple
path 3 -213 -305 -193 -300 -205 -275 navy
polygon 3 -57 124 -42 124 -50 136 olive
pt -334 255 red 0
line 341 290 371 281 blue
rect -19 -362 -7 -355 teal
circle 249 -392 6 purple
path 3 367 369 387 374 375 399 navy
polygon 3 -210 235 -195 235 -203 247 olive
pt 363 318 red 6
line 237 244 267 235 blue
rect 332 -219 344 -212 teal
circle -301 291 6 purple
path 3 -113 -13 -93 -8 -105 17 navy
polygon 3 -63 243 -48 243 -56 255 olive
pt 298 303 red 4
line 352 -69 382 -78 blue
rect 229 384 241 391 teal
circle 281 -27 6 purple
path 3 16 -315 36 -310 24 -285 navy
polygon 3 265 103 280 103 272 115 olive
pt 138 -127 red 2
line 65 61 95 52 blue
rect -305 318 -293 325 teal
circle -84 -69 6 purple
path 3 83 42 103 47 91 72 navy
polygon 3 -270 -29 -255 -29 -263 -17 olive
pt 44 123 red 0
line -394 172 -364 163 blue
rect 314 -368 326 -361 teal
circle -299 -354 6 purple
path 3 -290 367 -270 372 -282 397 navy
polygon 3 -126 -390 -111 -390 -119 -378 olive
pt -279 390 red 6
line 361 -79 391 -88 blue
rect 381 241 393 248 teal
circle -84 19 6 purple
path 3 -32 242 -12 247 -24 272 navy
polygon 3 92 248 107 248 99 260 olive
pt 150 -354 red 4
line -186 -116 -156 -125 blue
rect -308 26 -296 33 teal
circle 259 -369 6 purple
path 3 273 158 293 163 281 188 navy
polygon 3 253 -157 268 -157 260 -145 olive
pt -123 -326 red 2
line 330 -302 360 -311 blue
rect 288 -51 300 -44 teal
circle 315 -377 6 purple
path 3 235 -180 255 -175 243 -150 navy
polygon 3 -92 30 -77 30 -85 42 olive
pt 287 340 red 0
line -342 291 -312 282 blue
rect 117 -382 129 -375 teal
circle 136 -108 6 purple
path 3 210 10 230 15 218 40 navy
polygon 3 -240 -23 -225 -23 -233 -11 olive
pt 43 85 red 6
line -98 369 -68 360 blue
rect -244 370 -232 377 teal
circle 271 288 6 purple
path 3 104 -217 124 -212 112 -187 navy
polygon 3 187 65 202 65 194 77 olive
pt -386 91 red 4
line -129 330 -99 321 blue
rect 311 -341 323 -334 teal
circle 29 200 6 purple
path 3 -288 108 -268 113 -280 138 navy
polygon 3 100 -169 115 -169 107 -157 olive
pt -290 -278 red 2
line -67 -31 -37 -40 blue
rect -29 -170 -17 -163 teal
circle 178 236 6 purple
path 3 79 -165 99 -160 87 -135 navy
polygon 3 68 -57 83 -57 75 -45 olive
pt -213 41 red 0
line -270 195 -240 186 blue
rect -387 350 -375 357 teal
circle -24 -83 6 purple
path 3 29 -362 49 -357 37 -332 navy
polygon 3 -320 141 -305 141 -313 153 olive
pt 91 -381 red 6
line -269 -232 -239 -241 blue
rect 341 -65 353 -58 teal
circle -280 -245 6 purple
path 3 -306 5 -286 10 -298 35 navy
polygon 3 -251 -380 -236 -380 -244 -368 olive
pt -124 -111 red 4
line 263 215 293 206 blue
rect -358 -81 -346 -74 teal
circle 60 384 6 purple
path 3 -169 196 -149 201 -161 226 navy
polygon 3 -191 173 -176 173 -184 185 olive
pt 207 1 red 2
line 381 382 411 373 blue
rect 238 149 250 156 teal
circle 47 -230 6 purple
path 3 60 392 80 397 68 422 navy
polygon 3 336 -53 351 -53 343 -41 olive
pt -331 -168 red 0
line 343 -294 373 -303 blue
rect -379 354 -367 361 teal
circle 103 -264 6 purple
path 3 -160 -5 -140 0 -152 25 navy
polygon 3 -24 -227 -9 -227 -17 -215 olive
pt -273 -2 red 6
line -97 -315 -67 -324 blue
rect -123 171 -111 178 teal
circle -317 -176 6 purple
path 3 377 375 397 380 385 405 navy
polygon 3 271 -95 286 -95 278 -83 olive
pt 267 304 red 4
line -239 -400 -209 -409 blue
rect 112 56 124 63 teal
circle -388 -115 6 purple
path 3 240 -324 260 -319 248 -294 navy
polygon 3 -317 -87 -302 -87 -310 -75 olive
pt 101 214 red 2
line -207 149 -177 140 blue
rect 182 -375 194 -368 teal
circle 285 105 6 purple
path 3 -319 -130 -299 -125 -311 -100 navy
polygon 3 -47 -231 -32 -231 -40 -219 olive
pt -186 27 red 0
line -160 -393 -130 -402 blue
rect 314 300 326 307 teal
circle 114 10 6 purple
path 3 245 184 265 189 253 214 navy
polygon 3 -235 120 -220 120 -228 132 olive
pt 150 398 red 6
line 79 344 109 335 blue
rect 129 -5 141 2 teal
circle 279 -361 6 purple
path 3 -383 267 -363 272 -375 297 navy
polygon 3 301 195 316 195 308 207 olive
pt -115 -386 red 4
line -374 -82 -344 -91 blue
rect -170 378 -158 385 teal
circle -125 351 6 purple
path 3 -269 -331 -249 -326 -261 -301 navy
polygon 3 393 389 408 389 400 401 olive
pt -151 238 red 2
line -46 366 -16 357 blue
rect 216 11 228 18 teal
circle -135 61 6 purple
path 3 90 385 110 390 98 415 navy
polygon 3 229 -5 244 -5 236 7 olive
pt -90 -133 red 0
line 380 -280 410 -289 blue
rect -100 258 -88 265 teal
circle -279 322 6 purple
path 3 166 61 186 66 174 91 navy
polygon 3 -13 252 2 252 -6 264 olive
pt -329 76 red 6
line 70 -124 100 -133 blue
rect -26 207 -14 214 teal
circle 322 283 6 purple
path 3 -95 -107 -75 -102 -87 -77 navy
polygon 3 -287 -286 -272 -286 -280 -274 olive
pt -347 20 red 4
line 399 391 429 382 blue
rect 344 330 356 337 teal
circle -46 -373 6 purple
path 3 -103 354 -83 359 -95 384 navy
polygon 3 50 44 65 44 57 56 olive
pt -180 229 red 2
line -82 62 -52 53 blue
rect -48 -10 -36 -3 teal
circle -325 -128 6 purple
path 3 13 -156 33 -151 21 -126 navy
polygon 3 -210 137 -195 137 -203 149 olive
pt -180 263 red 0
line 355 -76 385 -85 blue
rect -141 299 -129 306 teal
circle -261 -211 6 purple
path 3 -221 -117 -201 -112 -213 -87 navy
polygon 3 71 -31 86 -31 78 -19 olive
pt 320 -158 red 6
line 367 -104 397 -113 blue
rect 83 -215 95 -208 teal
circle -60 305 6 purple
path 3 399 275 419 280 407 305 navy
polygon 3 -175 350 -160 350 -168 362 olive
pt -175 83 red 4
line 373 86 403 77 blue
rect 313 -254 325 -247 teal
circle 98 -87 6 purple
path 3 -59 -52 -39 -47 -51 -22 navy
polygon 3 -389 146 -374 146 -382 158 olive
pt -100 -31 red 2
line -329 -60 -299 -69 blue
rect 62 -272 74 -265 teal
circle 82 -87 6 purple
path 3 -393 -45 -373 -40 -385 -15 navy
polygon 3 -257 13 -242 13 -250 25 olive
pt -122 -295 red 0
line -389 285 -359 276 blue
rect 157 337 169 344 teal
circle 102 -236 6 purple
path 3 -364 245 -344 250 -356 275 navy
polygon 3 92 248 107 248 99 260 olive
pt 205 229 red 6
line 363 300 393 291 blue
rect -98 -67 -86 -60 teal
circle 103 -362 6 purple
path 3 -24 323 -4 328 -16 353 navy
polygon 3 113 -138 128 -138 120 -126 olive
pt -331 -384 red 4
line -374 -312 -344 -321 blue
rect 232 107 244 114 teal
circle -175 82 6 purple
path 3 -300 84 -280 89 -292 114 navy
polygon 3 302 -208 317 -208 309 -196 olive
pt -233 -229 red 2
line 103 339 133 330 blue
rect -324 102 -312 109 teal
circle -354 142 6 purple
path 3 -198 -263 -178 -258 -190 -233 navy
polygon 3 114 -155 129 -155 121 -143 olive
pt 253 191 red 0
line -295 -180 -265 -189 blue
rect -391 -133 -379 -126 teal
circle 173 88 6 purple
path 3 208 20 228 25 216 50 navy
polygon 3 67 -265 82 -265 74 -253 olive
pt 314 -325 red 6
line -176 -216 -146 -225 blue
rect -49 229 -37 236 teal
circle 259 363 6 purple
path 3 -216 -230 -196 -225 -208 -200 navy
polygon 3 -236 94 -221 94 -229 106 olive
pt -76 -133 red 4
line -332 288 -302 279 blue
rect 64 -345 76 -338 teal
circle 155 -57 6 purple
path 3 -149 -194 -129 -189 -141 -164 navy
polygon 3 350 117 365 117 357 129 olive
pt 59 -54 red 2
line 332 -253 362 -262 blue
rect -255 93 -243 100 teal
circle 177 -8 6 purple
path 3 174 84 194 89 182 114 navy
polygon 3 35 -151 50 -151 42 -139 olive
pt -372 208 red 0
line 102 -206 132 -215 blue
rect -363 116 -351 123 teal
circle -124 -246 6 purple
path 3 -268 176 -248 181 -260 206 navy
polygon 3 -288 354 -273 354 -281 366 olive
pt 61 283 red 6
line -7 -253 23 -262 blue
rect -284 257 -272 264 teal
circle 39 -182 6 purple
path 3 -134 -371 -114 -366 -126 -341 navy
polygon 3 81 8 96 8 88 20 olive
pt -383 204 red 4
line 296 246 326 237 blue
rect -370 263 -358 270 teal
circle -322 282 6 purple
path 3 -319 326 -299 331 -311 356 navy
polygon 3 -229 21 -214 21 -222 33 olive
pt 387 102 red 2
line 15 -83 45 -92 blue
rect -164 -253 -152 -246 teal
circle -385 -319 6 purple
path 3 -39 -309 -19 -304 -31 -279 navy
polygon 3 294 -297 309 -297 301 -285 olive
pt 129 -28 red 0
line 80 294 110 285 blue
rect -297 -180 -285 -173 teal
circle 303 -139 6 purple
path 3 -236 350 -216 355 -228 380 navy
polygon 3 165 -34 180 -34 172 -22 olive
pt -207 80 red 6
line -250 166 -220 157 blue
rect 393 -38 405 -31 teal
circle 345 -179 6 purple
path 3 161 225 181 230 169 255 navy
polygon 3 -320 361 -305 361 -313 373 olive
pt -329 -130 red 4
line 183 352 213 343 blue
rect -165 170 -153 177 teal
circle 183 232 6 purple
path 3 29 275 49 280 37 305 navy
polygon 3 48 336 63 336 55 348 olive
pt -286 -306 red 2
line -65 -35 -35 -44 blue
rect -60 -353 -48 -346 teal
circle -76 120 6 purple
path 3 393 109 413 114 401 139 navy
polygon 3 -309 337 -294 337 -302 349 olive
pt 65 143 red 0
line -75 -82 -45 -91 blue
rect 344 -272 356 -265 teal
circle -40 -344 6 purple
path 3 383 220 403 225 391 250 navy
polygon 3 -328 324 -313 324 -321 336 olive
pt -100 398 red 6
line -392 282 -362 273 blue
rect -13 241 -1 248 teal
circle 268 -267 6 purple
path 3 317 307 337 312 325 337 navy
polygon 3 149 290 164 290 156 302 olive
pt 277 113 red 4
line -287 -196 -257 -205 blue
rect -72 38 -60 45 teal
circle -318 156 6 purple
path 3 -390 -368 -370 -363 -382 -338 navy
polygon 3 -25 237 -10 237 -18 249 olive
pt 69 -362 red 2
line 72 -156 102 -165 blue
rect 318 -48 330 -41 teal
circle -101 73 6 purple
path 3 342 158 362 163 350 188 navy
polygon 3 -284 194 -269 194 -277 206 olive
pt -53 -20 red 0
line 40 -400 70 -409 blue
rect -128 -241 -116 -234 teal
circle -160 210 6 purple
path 3 27 -267 47 -262 35 -237 navy
polygon 3 105 26 120 26 112 38 olive
pt 370 311 red 6
line -291 -35 -261 -44 blue
rect -39 241 -27 248 teal
circle 157 -168 6 purple
path 3 -110 196 -90 201 -102 226 navy
polygon 3 -215 87 -200 87 -208 99 olive
pt -321 -303 red 4
line -331 363 -301 354 blue
rect 228 12 240 19 teal
circle -119 328 6 purple
path 3 155 340 175 345 163 370 navy
polygon 3 -15 383 0 383 -8 395 olive
pt 148 -66 red 2
line 283 -141 313 -150 blue
rect 94 154 106 161 teal
circle 191 -218 6 purple
path 3 341 -35 361 -30 349 -5 navy
polygon 3 321 27 336 27 328 39 olive
pt 234 -38 red 0
line -68 -348 -38 -357 blue
rect -346 -198 -334 -191 teal
circle 294 -257 6 purple
path 3 -66 -380 -46 -375 -58 -350 navy
polygon 3 235 -386 250 -386 242 -374 olive
pt 104 147 red 6
line 250 2 280 -7 blue
rect -322 -301 -310 -294 teal
circle -220 -100 6 purple
path 3 357 -350 377 -345 365 -320 navy
polygon 3 337 -387 352 -387 344 -375 olive
pt -276 -397 red 4
line 159 196 189 187 blue
rect 195 157 207 164 teal
circle -54 44 6 purple
path 3 -34 -181 -14 -176 -26 -151 navy
polygon 3 -366 -233 -351 -233 -359 -221 olive
pt -1 185 red 2
line 19 237 49 228 blue
rect 129 177 141 184 teal
circle 352 156 6 purple
path 3 243 297 263 302 251 327 navy
polygon 3 392 205 407 205 399 217 olive
pt -262 54 red 0
line 110 -69 140 -78 blue
rect 153 -362 165 -355 teal
circle -36 302 6 purple
path 3 -298 -178 -278 -173 -290 -148 navy
polygon 3 -313 224 -298 224 -306 236 olive
pt -167 140 red 6
line 345 -281 375 -290 blue
rect -173 -189 -161 -182 teal
circle 339 293 6 purple
path 3 22 -251 42 -246 30 -221 navy
polygon 3 -208 283 -193 283 -201 295 olive
pt -185 -388 red 4
line 57 -130 87 -139 blue
rect 266 252 278 259 teal
circle 294 389 6 purple
path 3 165 100 185 105 173 130 navy
polygon 3 -155 363 -140 363 -148 375 olive
pt 344 297 red 2
line -360 -354 -330 -363 blue
rect -231 231 -219 238 teal
circle -151 168 6 purple
path 3 -372 249 -352 254 -364 279 navy
polygon 3 -137 -281 -122 -281 -130 -269 olive
pt 63 -32 red 0
line -279 106 -249 97 blue
rect -44 371 -32 378 teal
circle 129 359 6 purple
path 3 386 -397 406 -392 394 -367 navy
polygon 3 -53 182 -38 182 -46 194 olive
pt -231 392 red 6
line -159 226 -129 217 blue
rect -205 -359 -193 -352 teal
circle -208 -90 6 purple
path 3 -223 20 -203 25 -215 50 navy
polygon 3 -66 -64 -51 -64 -59 -52 olive
pt 210 -357 red 4
line 17 -80 47 -89 blue
rect 358 356 370 363 teal
circle 96 5 6 purple
path 3 159 -108 179 -103 167 -78 navy
polygon 3 -194 146 -179 146 -187 158 olive
pt -149 22 red 2
line -81 346 -51 337 blue
rect -7 120 5 127 teal
circle 61 -164 6 purple
path 3 44 264 64 269 52 294 navy
polygon 3 237 -24 252 -24 244 -12 olive
pt -303 239 red 0
line -142 -234 -112 -243 blue
rect 324 -351 336 -344 teal
circle 274 89 6 purple
path 3 -251 204 -231 209 -243 234 navy
polygon 3 118 -232 133 -232 125 -220 olive
pt -160 250 red 6
line -330 -281 -300 -290 blue
rect 75 -355 87 -348 teal
circle -62 19 6 purple
path 3 -55 -107 -35 -102 -47 -77 navy
polygon 3 -327 -209 -312 -209 -320 -197 olive
pt 278 156 red 4
line -3 83 27 74 blue
rect -233 -76 -221 -69 teal
circle 144 -109 6 purple
path 3 274 -232 294 -227 282 -202 navy
polygon 3 279 -48 294 -48 286 -36 olive
pt -150 -203 red 2
line 312 310 342 301 blue
rect -77 -196 -65 -189 teal
circle -384 -309 6 purple
path 3 -271 139 -251 144 -263 169 navy
polygon 3 -172 -37 -157 -37 -165 -25 olive
pt -246 399 red 0
line 324 151 354 142 blue
rect 85 -297 97 -290 teal
circle -191 -14 6 purple
path 3 -123 219 -103 224 -115 249 navy
polygon 3 76 -247 91 -247 83 -235 olive
pt -78 261 red 6
line 181 -271 211 -280 blue
rect -346 251 -334 258 teal
circle -335 -235 6 purple
path 3 320 -270 340 -265 328 -240 navy
polygon 3 -367 358 -352 358 -360 370 olive
pt 109 323 red 4
line 183 -27 213 -36 blue
rect -357 -151 -345 -144 teal
circle 51 84 6 purple
path 3 -4 236 16 241 4 266 navy
polygon 3 46 158 61 158 53 170 olive
pt 40 -26 red 2
line 383 -7 413 -16 blue
rect 205 333 217 340 teal
circle 40 198 6 purple
path 3 383 -101 403 -96 391 -71 navy
polygon 3 -64 255 -49 255 -57 267 olive
pt 91 119 red 0
line -29 146 1 137 blue
rect -385 -115 -373 -108 teal
circle -324 -346 6 purple
path 3 395 34 415 39 403 64 navy
polygon 3 -201 133 -186 133 -194 145 olive
pt -236 -253 red 6
line 23 231 53 222 blue
rect 219 -400 231 -393 teal
circle 264 365 6 purple
path 3 292 35 312 40 300 65 navy
polygon 3 -267 -379 -252 -379 -260 -367 olive
pt -287 55 red 4
line -266 143 -236 134 blue
rect 16 36 28 43 teal
circle 255 -325 6 purple
path 3 -139 355 -119 360 -131 385 navy
polygon 3 -303 -340 -288 -340 -296 -328 olive
pt 61 -77 red 2
line 368 -218 398 -227 blue
rect 289 -388 301 -381 teal
circle 81 -40 6 purple
path 3 -60 241 -40 246 -52 271 navy
polygon 3 -374 40 -359 40 -367 52 olive
pt -296 -240 red 0
line -294 -366 -264 -375 blue
rect -157 365 -145 372 teal
circle -122 233 6 purple
path 3 -205 1 -185 6 -197 31 navy
polygon 3 294 373 309 373 301 385 olive
pt -366 325 red 6
line -102 -2 -72 -11 blue
rect 229 -149 241 -142 teal
circle 340 291 6 purple
path 3 -167 123 -147 128 -159 153 navy
polygon 3 -386 -128 -371 -128 -379 -116 olive
pt -135 -75 red 4
line 161 -260 191 -269 blue
rect 178 397 190 404 teal
circle 199 89 6 purple
path 3 301 -227 321 -222 309 -197 navy
polygon 3 -363 178 -348 178 -356 190 olive
pt 95 -138 red 2
line 131 -323 161 -332 blue
rect -328 318 -316 325 teal
circle -92 -174 6 purple
path 3 113 362 133 367 121 392 navy
polygon 3 -207 274 -192 274 -200 286 olive
pt 193 -323 red 0
line -93 193 -63 184 blue
rect 111 -391 123 -384 teal
circle 328 177 6 purple
path 3 -56 44 -36 49 -48 74 navy
polygon 3 -379 144 -364 144 -372 156 olive
pt 339 -210 red 6
line 221 144 251 135 blue
rect 125 -97 137 -90 teal
circle -123 -35 6 purple
path 3 204 387 224 392 212 417 navy
polygon 3 -366 210 -351 210 -359 222 olive
pt 248 309 red 4
line -88 284 -58 275 blue
rect -60 -175 -48 -168 teal
circle -169 -92 6 purple
path 3 81 -205 101 -200 89 -175 navy
polygon 3 8 62 23 62 15 74 olive
pt 307 348 red 2
line -213 -229 -183 -238 blue
rect -177 175 -165 182 teal
circle -145 -245 6 purple
path 3 -324 -210 -304 -205 -316 -180 navy
polygon 3 -67 355 -52 355 -60 367 olive
pt -63 -340 red 0
line 363 -338 393 -347 blue
rect -331 -273 -319 -266 teal
circle -244 154 6 purple
path 3 13 113 33 118 21 143 navy
polygon 3 43 38 58 38 50 50 olive
pt -222 302 red 6
line -158 -396 -128 -405 blue
rect 290 -239 302 -232 teal
circle 185 328 6 purple
path 3 -15 365 5 370 -7 395 navy
polygon 3 282 321 297 321 289 333 olive
pt -372 -210 red 4
line 391 190 421 181 blue
rect -392 -282 -380 -275 teal
circle -62 -40 6 purple
path 3 -14 228 6 233 -6 258 navy
polygon 3 -72 -85 -57 -85 -65 -73 olive
pt -339 253 red 2
line 66 -394 96 -403 blue
rect 319 -257 331 -250 teal
circle 43 112 6 purple
path 3 -237 307 -217 312 -229 337 navy
polygon 3 -10 23 5 23 -3 35 olive
pt 96 -236 red 0
line -234 -309 -204 -318 blue
rect 99 -276 111 -269 teal
circle -189 115 6 purple
path 3 -149 85 -129 90 -141 115 navy
polygon 3 182 257 197 257 189 269 olive
pt 398 -172 red 6
line -285 -370 -255 -379 blue
rect 365 175 377 182 teal
circle 140 -142 6 purple
path 3 374 -22 394 -17 382 8 navy
polygon 3 -245 -91 -230 -91 -238 -79 olive
pt -195 86 red 4
line -236 -180 -206 -189 blue
rect -251 -44 -239 -37 teal
circle 141 -314 6 purple
path 3 209 -115 229 -110 217 -85 navy
polygon 3 202 100 217 100 209 112 olive
pt 197 -75 red 2
line 30 4 60 -5 blue
rect 313 230 325 237 teal
circle -279 -25 6 purple
path 3 -106 244 -86 249 -98 274 navy
polygon 3 -208 28 -193 28 -201 40 olive
pt 324 -311 red 0
line -31 -228 -1 -237 blue
rect -124 4 -112 11 teal
circle 97 -300 6 purple
path 3 316 -145 336 -140 324 -115 navy
polygon 3 -45 64 -30 64 -38 76 olive
pt 178 -64 red 6
line -309 346 -279 337 blue
rect 206 -316 218 -309 teal
circle 67 -273 6 purple
path 3 294 -220 314 -215 302 -190 navy
polygon 3 137 45 152 45 144 57 olive
pt 83 -303 red 4
line 99 -97 129 -106 blue
rect 139 321 151 328 teal
circle 279 338 6 purple
path 3 280 364 300 369 288 394 navy
polygon 3 -93 172 -78 172 -86 184 olive
pt -363 185 red 2
line -28 217 2 208 blue
rect -228 224 -216 231 teal
circle -360 -305 6 purple
path 3 -96 39 -76 44 -88 69 navy
polygon 3 280 -296 295 -296 287 -284 olive
pt -368 -399 red 0
line 331 319 361 310 blue
rect 12 368 24 375 teal
circle 313 1 6 purple
path 3 329 -305 349 -300 337 -275 navy
polygon 3 267 215 282 215 274 227 olive
pt -188 203 red 6
line -102 -218 -72 -227 blue
rect -79 311 -67 318 teal
circle 234 -283 6 purple
path 3 -137 -64 -117 -59 -129 -34 navy
polygon 3 254 -288 269 -288 261 -276 olive
pt -53 294 red 4
line 295 -356 325 -365 blue
rect 162 20 174 27 teal
circle -81 -37 6 purple
path 3 -16 -186 4 -181 -8 -156 navy
polygon 3 -332 215 -317 215 -325 227 olive
pt 156 -201 red 2
line 136 166 166 157 blue
rect 314 -336 326 -329 teal
circle 252 130 6 purple
path 3 135 114 155 119 143 144 navy
polygon 3 327 96 342 96 334 108 olive
pt 212 -189 red 0
line 292 -361 322 -370 blue
rect -343 206 -331 213 teal
circle -195 179 6 purple
path 3 314 -285 334 -280 322 -255 navy
polygon 3 -34 -222 -19 -222 -27 -210 olive
pt -74 -126 red 6
line -277 -350 -247 -359 blue
rect -102 -311 -90 -304 teal
circle 84 116 6 purple
path 3 -211 325 -191 330 -203 355 navy
polygon 3 15 -233 30 -233 22 -221 olive
pt -241 57 red 4
line -75 -226 -45 -235 blue
rect 239 287 251 294 teal
circle 395 -352 6 purple
path 3 -338 343 -318 348 -330 373 navy
polygon 3 -113 119 -98 119 -106 131 olive
pt 392 376 red 2
line 241 -258 271 -267 blue
rect -319 -174 -307 -167 teal
circle -96 147 6 purple
path 3 205 275 225 280 213 305 navy
polygon 3 -35 -232 -20 -232 -28 -220 olive
pt 88 -88 red 0
line 329 70 359 61 blue
rect 333 398 345 405 teal
circle 33 -167 6 purple
path 3 -252 83 -232 88 -244 113 navy
polygon 3 -133 74 -118 74 -126 86 olive
pt 119 -399 red 6
line -251 284 -221 275 blue
rect 260 303 272 310 teal
circle -146 127 6 purple
path 3 303 175 323 180 311 205 navy
polygon 3 171 -239 186 -239 178 -227 olive
pt 250 281 red 4
line 286 160 316 151 blue
rect -329 353 -317 360 teal
circle 326 -264 6 purple
path 3 8 -41 28 -36 16 -11 navy
polygon 3 -310 93 -295 93 -303 105 olive
pt 75 265 red 2
line -120 161 -90 152 blue
rect 293 323 305 330 teal
circle -275 259 6 purple
path 3 36 -229 56 -224 44 -199 navy
polygon 3 111 34 126 34 118 46 olive
pt 253 32 red 0
line -89 100 -59 91 blue
rect -110 -215 -98 -208 teal
circle 239 77 6 purple
path 3 358 118 378 123 366 148 navy
polygon 3 -192 -261 -177 -261 -185 -249 olive
pt -200 222 red 6
line 129 324 159 315 blue
rect -4 365 8 372 teal
circle 68 -83 6 purple
path 3 -169 157 -149 162 -161 187 navy
polygon 3 23 349 38 349 30 361 olive
pt -10 294 red 4
line -357 -337 -327 -346 blue
rect -38 -273 -26 -266 teal
circle 389 165 6 purple
path 3 -70 -88 -50 -83 -62 -58 navy
polygon 3 293 -53 308 -53 300 -41 olive
pt -212 124 red 2
line 257 -79 287 -88 blue
rect -20 164 -8 171 teal
circle 382 -349 6 purple
path 3 42 289 62 294 50 319 navy
polygon 3 -50 -386 -35 -386 -43 -374 olive
pt 386 -250 red 0
line -377 -293 -347 -302 blue
rect -132 133 -120 140 teal
circle 250 212 6 purple
path 3 -372 -368 -352 -363 -364 -338 navy
polygon 3 327 50 342 50 334 62 olive
pt -306 -251 red 6
line 194 294 224 285 blue
rect 268 109 280 116 teal
circle 150 219 6 purple
path 3 -258 -280 -238 -275 -250 -250 navy
polygon 3 -273 212 -258 212 -266 224 olive
pt -354 -361 red 4
line 249 361 279 352 blue
rect 191 23 203 30 teal
circle -368 -165 6 purple
path 3 84 242 104 247 92 272 navy
polygon 3 -304 19 -289 19 -297 31 olive
pt -105 306 red 2
line -241 239 -211 230 blue
rect -167 -367 -155 -360 teal
circle 378 392 6 purple
path 3 89 196 109 201 97 226 navy
polygon 3 47 -3 62 -3 54 9 olive
pt 150 -150 red 0
line -310 145 -280 136 blue
rect -104 -193 -92 -186 teal
circle -324 -136 6 purple
path 3 355 -301 375 -296 363 -271 navy
polygon 3 -187 313 -172 313 -180 325 olive
pt -375 -151 red 6
line -91 -229 -61 -238 blue
rect 224 29 236 36 teal
circle -227 136 6 purple
path 3 241 292 261 297 249 322 navy
polygon 3 296 67 311 67 303 79 olive
pt 186 383 red 4
line 98 -370 128 -379 blue
rect -282 -267 -270 -260 teal
circle 359 34 6 purple
path 3 -204 9 -184 14 -196 39 navy
polygon 3 179 -386 194 -386 186 -374 olive
pt 396 -13 red 2
line 259 -103 289 -112 blue
rect -89 -27 -77 -20 teal
circle 18 -343 6 purple
path 3 52 117 72 122 60 147 navy
polygon 3 132 37 147 37 139 49 olive
pt -9 22 red 0
line 356 217 386 208 blue
rect 341 125 353 132 teal
circle 51 -21 6 purple
path 3 -24 220 -4 225 -16 250 navy
polygon 3 163 -160 178 -160 170 -148 olive
pt 294 310 red 6
line 19 140 49 131 blue
rect 317 210 329 217 teal
circle -313 -268 6 purple
path 3 -193 -311 -173 -306 -185 -281 navy
polygon 3 -58 291 -43 291 -51 303 olive
pt 371 -313 red 4
line 205 -153 235 -162 blue
rect 49 109 61 116 teal
circle 225 258 6 purple
path 3 398 75 418 80 406 105 navy
polygon 3 -149 -254 -134 -254 -142 -242 olive
pt 256 -242 red 2
line -3 -190 27 -199 blue
rect 325 -121 337 -114 teal
circle -164 -37 6 purple
path 3 45 361 65 366 53 391 navy
polygon 3 -331 100 -316 100 -324 112 olive
pt -114 19 red 0
line -305 386 -275 377 blue
rect -97 -356 -85 -349 teal
circle 179 -211 6 purple
path 3 -58 128 -38 133 -50 158 navy
polygon 3 198 272 213 272 205 284 olive
pt 353 174 red 6
line -61 -384 -31 -393 blue
rect 74 299 86 306 teal
circle -182 222 6 purple
path 3 -102 392 -82 397 -94 422 navy
polygon 3 -341 -315 -326 -315 -334 -303 olive
pt 124 -368 red 4
line -192 -395 -162 -404 blue
rect -237 387 -225 394 teal
circle -385 126 6 purple
path 3 74 -322 94 -317 82 -292 navy
polygon 3 -331 -2 -316 -2 -324 10 olive
pt -259 107 red 2
line -38 118 -8 109 blue
rect 280 201 292 208 teal
circle 191 -140 6 purple
path 3 -120 -189 -100 -184 -112 -159 navy
polygon 3 172 -199 187 -199 179 -187 olive
pt 257 -398 red 0
line -4 -326 26 -335 blue
rect 32 -179 44 -172 teal
circle 13 133 6 purple
path 3 188 117 208 122 196 147 navy
polygon 3 -256 298 -241 298 -249 310 olive
pt 156 226 red 6
line -188 -62 -158 -71 blue
rect 281 146 293 153 teal
circle -35 233 6 purple
path 3 290 -12 310 -7 298 18 navy
polygon 3 -52 -241 -37 -241 -45 -229 olive
pt -108 -61 red 4
line -32 388 -2 379 blue
rect -327 -241 -315 -234 teal
circle -108 147 6 purple
path 3 -299 105 -279 110 -291 135 navy
polygon 3 -333 -115 -318 -115 -326 -103 olive
pt -106 182 red 2
line 1 -78 31 -87 blue
rect -144 391 -132 398 teal
circle 8 179 6 purple
path 3 -331 -392 -311 -387 -323 -362 navy
polygon 3 197 29 212 29 204 41 olive
pt -117 219 red 0
line 171 104 201 95 blue
rect -178 259 -166 266 teal
circle -281 -280 6 purple
path 3 115 260 135 265 123 290 navy
polygon 3 45 -89 60 -89 52 -77 olive
pt -229 -327 red 6
line -115 165 -85 156 blue
