/*
 * The AuthCode cipher, carried as script text and run in a script host.
 *
 * uc_authcode(str, operation, key, expiry) enciphers (operation "ENCODE")
 * or deciphers (anything else, the empty text included). A cipher text is
 * four characters of key variation followed by the unpadded Base64 of an
 * RC4-enciphered frame: ten digits of expiry, sixteen of check, the text.
 * Deciphering gives the empty text for a frame that has expired or fails
 * its check.
 */

var hexcase = 0;

/* ---- MD5 (RFC 1321) over the UTF-8 form of a string ------------------- */

function md5(str) {
  return hex_md5(str);
}

function hex_md5(s) {
  return rstr2hex(rstr_md5(str2rstr_utf8(s)));
}

function hex_hmac_md5(k, d) {
  return rstr2hex(rstr_hmac_md5(str2rstr_utf8(k), str2rstr_utf8(d)));
}

function md5_vm_test() {
  return hex_md5("abc") == "900150983cd24fb0d6963f7d28e17f72";
}

/* A raw string holds one byte per character. */
function rstr_md5(s) {
  return binl2rstr(binl_md5(rstr2binl(s), s.length * 8));
}

function rstr_hmac_md5(key, data) {
  var bkey = rstr2binl(key);
  if (bkey.length > 16) bkey = binl_md5(bkey, key.length * 8);
  var ipad = [], opad = [];
  for (var i = 0; i < 16; i++) {
    ipad[i] = (bkey[i] | 0) ^ 0x36363636;
    opad[i] = (bkey[i] | 0) ^ 0x5C5C5C5C;
  }
  var inner = binl_md5(ipad.concat(rstr2binl(data)), 512 + data.length * 8);
  return binl2rstr(binl_md5(opad.concat(inner), 512 + 128));
}

function rstr2hex(input) {
  var digits = hexcase ? "0123456789ABCDEF" : "0123456789abcdef";
  var out = [];
  for (var i = 0; i < input.length; i++) {
    var x = input.charCodeAt(i);
    out.push(digits.charAt((x >>> 4) & 0x0F), digits.charAt(x & 0x0F));
  }
  return out.join("");
}

/* UTF-16 to UTF-8 bytes; a surrogate pair becomes one four-byte sequence. */
function str2rstr_utf8(input) {
  var bytes = [];
  for (var i = 0; i < input.length; i++) {
    var x = input.charCodeAt(i);
    var y = i + 1 < input.length ? input.charCodeAt(i + 1) : 0;
    if (x >= 0xD800 && x <= 0xDBFF && y >= 0xDC00 && y <= 0xDFFF) {
      x = 0x10000 + ((x & 0x03FF) << 10) + (y & 0x03FF);
      i++;
    }
    if (x < 0x80) {
      bytes.push(x);
    } else if (x < 0x800) {
      bytes.push(0xC0 | (x >>> 6), 0x80 | (x & 0x3F));
    } else if (x < 0x10000) {
      bytes.push(0xE0 | (x >>> 12), 0x80 | ((x >>> 6) & 0x3F), 0x80 | (x & 0x3F));
    } else {
      bytes.push(0xF0 | (x >>> 18), 0x80 | ((x >>> 12) & 0x3F), 0x80 | ((x >>> 6) & 0x3F), 0x80 | (x & 0x3F));
    }
  }
  return bytes_to_rstr(bytes);
}

/* An array of byte values as a raw string, in slices to bound the stack. */
function bytes_to_rstr(bytes) {
  var parts = [];
  for (var i = 0; i < bytes.length; i += 4096)
    parts.push(String.fromCharCode.apply(null, bytes.slice(i, i + 4096)));
  return parts.join("");
}

/* Bytes to little-endian 32-bit words, and back. */
function rstr2binl(input) {
  var words = [];
  var n = (input.length + 3) >> 2;
  for (var w = 0; w < n; w++) words[w] = 0;
  for (var i = 0; i < input.length; i++)
    words[i >> 2] |= (input.charCodeAt(i) & 0xFF) << ((i & 3) << 3);
  return words;
}

function binl2rstr(words) {
  var bytes = [];
  for (var i = 0; i < words.length; i++) {
    var w = words[i];
    bytes.push(w & 0xFF, (w >>> 8) & 0xFF, (w >>> 16) & 0xFF, (w >>> 24) & 0xFF);
  }
  return bytes_to_rstr(bytes);
}

function safe_add(x, y) {
  return (x + y) | 0;
}

function bit_rol(num, cnt) {
  return (num << cnt) | (num >>> (32 - cnt));
}

/* The common step. The sums stay exact in doubles, so one |0 wraps them. */
function md5_cmn(q, a, b, x, s, t) {
  var n = (a + q + x + t) | 0;
  return (((n << s) | (n >>> (32 - s))) + b) | 0;
}
function md5_ff(a, b, c, d, x, s, t) { return md5_cmn((b & c) | (~b & d), a, b, x, s, t); }
function md5_gg(a, b, c, d, x, s, t) { return md5_cmn((b & d) | (c & ~d), a, b, x, s, t); }
function md5_hh(a, b, c, d, x, s, t) { return md5_cmn(b ^ c ^ d, a, b, x, s, t); }
function md5_ii(a, b, c, d, x, s, t) { return md5_cmn(c ^ (b | ~d), a, b, x, s, t); }

/* T[i] = floor(2^32 * |sin(i + 1)|), as signed 32-bit values. */
var md5_sines = (function () {
  var t = [];
  for (var i = 0; i < 64; i++) t[i] = Math.floor(Math.abs(Math.sin(i + 1)) * 4294967296) | 0;
  return t;
})();

/* The 64 steps of each block, four rounds of sixteen, as the standard lists them. */
function binl_md5(x, len) {
  x[len >> 5] = (x[len >> 5] | 0) | (0x80 << (len % 32));
  var words = (((len + 64) >>> 9) << 4) + 16;
  x[words - 2] = len;
  for (var k = 0; k < words; k++) x[k] = x[k] | 0;

  var T = md5_sines;
  var a = 1732584193, b = -271733879, c = -1732584194, d = 271733878;
  for (var i = 0; i < x.length; i += 16) {
    var olda = a, oldb = b, oldc = c, oldd = d;

    a = md5_ff(a, b, c, d, x[i + 0], 7, T[0]);   d = md5_ff(d, a, b, c, x[i + 1], 12, T[1]);
    c = md5_ff(c, d, a, b, x[i + 2], 17, T[2]);  b = md5_ff(b, c, d, a, x[i + 3], 22, T[3]);
    a = md5_ff(a, b, c, d, x[i + 4], 7, T[4]);   d = md5_ff(d, a, b, c, x[i + 5], 12, T[5]);
    c = md5_ff(c, d, a, b, x[i + 6], 17, T[6]);  b = md5_ff(b, c, d, a, x[i + 7], 22, T[7]);
    a = md5_ff(a, b, c, d, x[i + 8], 7, T[8]);   d = md5_ff(d, a, b, c, x[i + 9], 12, T[9]);
    c = md5_ff(c, d, a, b, x[i + 10], 17, T[10]); b = md5_ff(b, c, d, a, x[i + 11], 22, T[11]);
    a = md5_ff(a, b, c, d, x[i + 12], 7, T[12]);  d = md5_ff(d, a, b, c, x[i + 13], 12, T[13]);
    c = md5_ff(c, d, a, b, x[i + 14], 17, T[14]); b = md5_ff(b, c, d, a, x[i + 15], 22, T[15]);

    a = md5_gg(a, b, c, d, x[i + 1], 5, T[16]);   d = md5_gg(d, a, b, c, x[i + 6], 9, T[17]);
    c = md5_gg(c, d, a, b, x[i + 11], 14, T[18]); b = md5_gg(b, c, d, a, x[i + 0], 20, T[19]);
    a = md5_gg(a, b, c, d, x[i + 5], 5, T[20]);   d = md5_gg(d, a, b, c, x[i + 10], 9, T[21]);
    c = md5_gg(c, d, a, b, x[i + 15], 14, T[22]); b = md5_gg(b, c, d, a, x[i + 4], 20, T[23]);
    a = md5_gg(a, b, c, d, x[i + 9], 5, T[24]);   d = md5_gg(d, a, b, c, x[i + 14], 9, T[25]);
    c = md5_gg(c, d, a, b, x[i + 3], 14, T[26]);  b = md5_gg(b, c, d, a, x[i + 8], 20, T[27]);
    a = md5_gg(a, b, c, d, x[i + 13], 5, T[28]);  d = md5_gg(d, a, b, c, x[i + 2], 9, T[29]);
    c = md5_gg(c, d, a, b, x[i + 7], 14, T[30]);  b = md5_gg(b, c, d, a, x[i + 12], 20, T[31]);

    a = md5_hh(a, b, c, d, x[i + 5], 4, T[32]);   d = md5_hh(d, a, b, c, x[i + 8], 11, T[33]);
    c = md5_hh(c, d, a, b, x[i + 11], 16, T[34]); b = md5_hh(b, c, d, a, x[i + 14], 23, T[35]);
    a = md5_hh(a, b, c, d, x[i + 1], 4, T[36]);   d = md5_hh(d, a, b, c, x[i + 4], 11, T[37]);
    c = md5_hh(c, d, a, b, x[i + 7], 16, T[38]);  b = md5_hh(b, c, d, a, x[i + 10], 23, T[39]);
    a = md5_hh(a, b, c, d, x[i + 13], 4, T[40]);  d = md5_hh(d, a, b, c, x[i + 0], 11, T[41]);
    c = md5_hh(c, d, a, b, x[i + 3], 16, T[42]);  b = md5_hh(b, c, d, a, x[i + 6], 23, T[43]);
    a = md5_hh(a, b, c, d, x[i + 9], 4, T[44]);   d = md5_hh(d, a, b, c, x[i + 12], 11, T[45]);
    c = md5_hh(c, d, a, b, x[i + 15], 16, T[46]); b = md5_hh(b, c, d, a, x[i + 2], 23, T[47]);

    a = md5_ii(a, b, c, d, x[i + 0], 6, T[48]);   d = md5_ii(d, a, b, c, x[i + 7], 10, T[49]);
    c = md5_ii(c, d, a, b, x[i + 14], 15, T[50]); b = md5_ii(b, c, d, a, x[i + 5], 21, T[51]);
    a = md5_ii(a, b, c, d, x[i + 12], 6, T[52]);  d = md5_ii(d, a, b, c, x[i + 3], 10, T[53]);
    c = md5_ii(c, d, a, b, x[i + 10], 15, T[54]); b = md5_ii(b, c, d, a, x[i + 1], 21, T[55]);
    a = md5_ii(a, b, c, d, x[i + 8], 6, T[56]);   d = md5_ii(d, a, b, c, x[i + 15], 10, T[57]);
    c = md5_ii(c, d, a, b, x[i + 6], 15, T[58]);  b = md5_ii(b, c, d, a, x[i + 13], 21, T[59]);
    a = md5_ii(a, b, c, d, x[i + 4], 6, T[60]);   d = md5_ii(d, a, b, c, x[i + 11], 10, T[61]);
    c = md5_ii(c, d, a, b, x[i + 2], 15, T[62]);  b = md5_ii(b, c, d, a, x[i + 9], 21, T[63]);

    a = safe_add(a, olda);
    b = safe_add(b, oldb);
    c = safe_add(c, oldc);
    d = safe_add(d, oldd);
  }
  return [a, b, c, d];
}

/* ---- UTF-8 helpers ---------------------------------------------------- */

function utf16to8(str) {
  return str2rstr_utf8(str);
}

function utf8to16(str) {
  var out = "";
  var i = 0;
  while (i < str.length) {
    var c = str.charCodeAt(i++) & 0xFF;
    if (c < 0x80) {
      out += String.fromCharCode(c);
    } else if (c >= 0xC0 && c < 0xE0 && i < str.length) {
      out += String.fromCharCode(((c & 0x1F) << 6) | (str.charCodeAt(i++) & 0x3F));
    } else if (c >= 0xE0 && c < 0xF0 && i + 1 < str.length) {
      var c2 = str.charCodeAt(i++) & 0x3F, c3 = str.charCodeAt(i++) & 0x3F;
      out += String.fromCharCode(((c & 0x0F) << 12) | (c2 << 6) | c3);
    } else if (c >= 0xF0 && i + 2 < str.length) {
      var p = ((c & 0x07) << 18) | ((str.charCodeAt(i++) & 0x3F) << 12) |
              ((str.charCodeAt(i++) & 0x3F) << 6) | (str.charCodeAt(i++) & 0x3F);
      p -= 0x10000;
      out += String.fromCharCode(0xD800 + (p >> 10), 0xDC00 + (p & 0x3FF));
    }
  }
  return out;
}

/* ---- Base64 (RFC 4648 alphabet) --------------------------------------- */

var base64_alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

/* One character per byte in, padded Base64 out. */
function base64_encode(str) {
  var out = [];
  for (var i = 0; i < str.length; i += 3) {
    var n = Math.min(3, str.length - i);
    var group = 0;
    for (var k = 0; k < 3; k++) group = group * 256 + (k < n ? str.charCodeAt(i + k) & 0xFF : 0);
    for (k = 0; k < 4; k++)
      out.push(k <= n ? base64_alphabet.charAt((group >>> (18 - 6 * k)) & 63) : "=");
  }
  return out.join("");
}

/*
 * Each character is reduced to its low 8 bits; characters outside the
 * alphabet are skipped; "=" read as a third or fourth value ends the text;
 * a last group of two or three values gives one or two bytes.
 */
function base64_decode(str) {
  var bytes = [];
  var values = [];
  function flush() {
    if (values.length >= 2) bytes.push(((values[0] << 2) | (values[1] >> 4)) & 0xFF);
    if (values.length >= 3) bytes.push(((values[1] << 4) | (values[2] >> 2)) & 0xFF);
  }
  for (var i = 0; i < str.length; i++) {
    var c = String.fromCharCode(str.charCodeAt(i) & 0xFF);
    if (c == "=" && values.length >= 2) break;
    var v = base64_alphabet.indexOf(c);
    if (v < 0) continue;
    values.push(v);
    if (values.length == 4) {
      flush();
      bytes.push(((values[2] << 6) | values[3]) & 0xFF);
      values = [];
    }
  }
  flush();
  return bytes_to_rstr(bytes);
}

/* ---- Small helpers ---------------------------------------------------- */

function time() {
  return Math.floor(new Date().getTime() / 1000);
}

/* "msec sec", or the seconds as a fraction when asked for a float. */
function microtime(get_as_float) {
  var now = new Date().getTime() / 1000;
  var seconds = Math.floor(now);
  return get_as_float ? now : (Math.round((now - seconds) * 1000) / 1000) + " " + seconds;
}

function chr(code) {
  return String.fromCharCode(code);
}

function ord(ch) {
  return String(ch).charCodeAt(0);
}

/* ---- The cipher ------------------------------------------------------- */

function uc_authcode_pad10(n) {
  var s = String(n);
  while (s.length < 10) s = "0" + s;
  return s;
}

/* The expiry field is ten decimal digits; anything else reads as NaN. */
function uc_authcode_expiry(field) {
  return /^[0-9]{10}$/.test(field) ? parseInt(field, 10) : NaN;
}

function uc_authcode(str, operation, key, expiry) {
  var decoding = !operation || operation == "DECODE";
  str = String(str);
  var ckey_length = 4;
  var k = md5(String(key));
  var keya = md5(k.substr(0, 16));
  var keyb = md5(k.substr(16, 16));
  var keyc = decoding ? str.substr(0, ckey_length) : md5(microtime()).substr(32 - ckey_length);
  var cryptkey = keya + md5(keya + keyc);

  var text;
  if (decoding) {
    text = base64_decode(str.substr(ckey_length));
  } else {
    var seconds = Number(expiry) || 0;
    text = uc_authcode_pad10(seconds ? seconds + time() : 0) + md5(str + keyb).substr(0, 16) + str;
  }

  var box = [], rndkey = [], i, j, a, tmp;
  for (i = 0; i < 256; i++) {
    box[i] = i;
    rndkey[i] = cryptkey.charCodeAt(i % cryptkey.length);
  }
  for (j = i = 0; i < 256; i++) {
    j = (j + box[i] + rndkey[i]) % 256;
    tmp = box[i]; box[i] = box[j]; box[j] = tmp;
  }
  var bytes = [];
  for (a = j = i = 0; i < text.length; i++) {
    a = (a + 1) % 256;
    j = (j + box[a]) % 256;
    tmp = box[a]; box[a] = box[j]; box[j] = tmp;
    bytes.push((text.charCodeAt(i) & 0xFF) ^ box[(box[a] + box[j]) % 256]);
  }
  var result = bytes_to_rstr(bytes);

  if (decoding) {
    var expires = uc_authcode_expiry(result.substr(0, 10));
    var fresh = expires == 0 || expires - time() > 0;
    var checked = result.substr(10, 16) == md5(result.substr(26) + keyb).substr(0, 16);
    return fresh && checked && result.length >= 26 ? result.substr(26) : "";
  }
  return keyc + base64_encode(result).replace(/=/g, "");
}
