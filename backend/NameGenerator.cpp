// Invented people and places for the demo league.
#include "backend/NameGenerator.h"

#include <cctype>
#include <vector>

namespace huddlepod::backend {

namespace {

const std::vector<std::string> firstNames = {
    "Aaron",  "Adrian",   "Alan",    "Albert", "Alvin",   "André",    "Andre",    "Andy",   "Antoine",
    "Arthur", "Austin",   "Barry",   "Ben",    "Bernard", "Bill",     "Bobby",    "Brad",   "Brandon",
    "Brent",  "Brian",    "Bruce",   "Bryce",  "Caleb",   "Calvin",   "Carl",     "Carlos", "Carter",
    "Cedric", "Chad",     "Charles", "Chase",  "Chris",   "Clarence", "Clay",     "Cody",   "Cole",
    "Colin",  "Corey",    "Craig",   "Curtis", "Dale",    "Damon",    "Daniel",   "Darius", "Darnell",
    "Darren", "David",    "Dean",    "Dennis", "Derek",   "Derrick",  "Desmond",  "Devin",  "Dominic",
    "Don",    "Donald",   "Doug",    "Drew",   "Dwayne",  "Earl",     "Eddie",    "Edgar",  "Elijah",
    "Eric",   "Ernest",   "Ethan",   "Evan",   "Felix",   "Floyd",    "Frank",    "Fred",   "Gary",
    "Gene",   "George",   "Glenn",   "Gordon", "Grant",   "Greg",     "Harold",   "Harry",  "Hector",
    "Henry",  "Howard",   "Isaac",   "Isaiah", "Jack",    "Jacob",    "Jalen",    "Jamal",  "James",
    "Jared",  "Jason",    "Jeff",    "Jerome", "Jérôme",  "Jerry",    "Jesse",    "Jim",    "Joe",
    "Joel",   "John",     "Jordan",  "José",   "Joseph",  "Josh",     "Julian",   "Justin", "Keith",
    "Kelvin", "Ken",      "Kevin",   "Kyle",   "Lamar",   "Larry",    "Lawrence", "Leon",   "Leroy",
    "Lewis",  "Lloyd",    "Logan",   "Louis",  "Lucas",   "Luis",     "Malik",    "Marcus", "Mario",
    "Mark",   "Marshall", "Martin",  "Marvin", "Mason",   "Matt",     "Maurice",  "Max",    "Michael",
    "Miles",  "Mitchell", "Nate",    "Neil",   "Nick",    "Noah",     "Norman",   "Oliver", "Omar",
    "Oscar",  "Owen",     "Patrick", "Paul",   "Pete",    "Phil",     "Quentin",  "Ralph",  "Ray",
    "Reggie", "René",     "Richard", "Rick",   "Robert",  "Roger",    "Roland",   "Ron",    "Ross",
    "Roy",    "Russell",  "Ryan",    "Sam",    "Scott",   "Sean",     "Seth",     "Shane",  "Stan",
    "Steve",  "Terrell",  "Terry",   "Theo",   "Thomas",  "Tim",      "Todd",     "Tom",    "Tony",
    "Travis", "Trent",    "Troy",    "Tyler",  "Tyrone",  "Victor",   "Vince",    "Wade",   "Walter",
    "Warren", "Wayne",    "Wesley",  "Will",   "Willie",  "Xavier",   "Zach",     "Zeke",   "Łukasz",
};

// Surnames are one or two onsets glued to an ending, so they read naturally but belong to nobody in
// particular.
const std::vector<std::string> onsets = {
    "Al",    "Bal",  "Bar", "Bel", "Bram", "Bren", "Brook", "Cal", "Car",  "Cor",  "Crane", "Dal", "Dar",
    "Del",   "Dun",  "Ed",  "El",  "Fair", "Far",  "Fen",   "Gal", "Gar",  "Gil",  "Gold",  "Hal", "Har",
    "Hol",   "Kel",  "Ken", "Kin", "Lan",  "Lar",  "Lind",  "Mal", "Mar",  "Mel",  "Mor",   "Nor", "Oak",
    "Pen",   "Quin", "Ral", "Ran", "Red",  "Ros",  "Sal",   "Sel", "Stan", "Stra", "Tal",   "Tam", "Ter",
    "Thorn", "Val",  "Var", "Wal", "War",  "Wes",  "Whit",  "Win", "Yar",  "Zel",
};
const std::vector<std::string> middles = {"a",  "e",  "i",  "o",  "ar", "en",
                                          "er", "in", "on", "or", "um", "ett"};
const std::vector<std::string> endings = {
    "by",   "den",   "dale", "ford",  "field", "ham", "ington", "ley",   "low",  "man",  "mont", "ner",
    "rick", "ridge", "son",  "stead", "ston",  "ter", "ton",    "ville", "ward", "well", "wick", "worth",
    "sky",  "ski",   "ez",   "ario",  "ard",   "ens", "ers",    "ings",  "ock",  "ott",  "ux",   "aux",
};

const std::vector<Place> places = {
    {"Akron", "OH"},       {"Albany", "GA"},      {"Amarillo", "TX"},       {"Asheville", "NC"},
    {"Augusta", "GA"},     {"Bakersfield", "CA"}, {"Baton Rouge", "LA"},    {"Beaumont", "TX"},
    {"Birmingham", "AL"},  {"Boise", "ID"},       {"Canton", "OH"},         {"Charleston", "SC"},
    {"Chattanooga", "TN"}, {"Columbia", "SC"},    {"Corpus Christi", "TX"}, {"Dayton", "OH"},
    {"Des Moines", "IA"},  {"Durham", "NC"},      {"El Paso", "TX"},        {"Erie", "PA"},
    {"Eugene", "OR"},      {"Flint", "MI"},       {"Fort Wayne", "IN"},     {"Fresno", "CA"},
    {"Gainesville", "FL"}, {"Gary", "IN"},        {"Greenville", "MS"},     {"Hattiesburg", "MS"},
    {"Huntsville", "AL"},  {"Jackson", "MS"},     {"Jacksonville", "FL"},   {"Knoxville", "TN"},
    {"Lafayette", "LA"},   {"Lansing", "MI"},     {"Lexington", "KY"},      {"Little Rock", "AR"},
    {"Lubbock", "TX"},     {"Macon", "GA"},       {"Mobile", "AL"},         {"Montgomery", "AL"},
    {"Nashville", "TN"},   {"Newark", "NJ"},      {"Norfolk", "VA"},        {"Ocala", "FL"},
    {"Omaha", "NE"},       {"Pensacola", "FL"},   {"Peoria", "IL"},         {"Pueblo", "CO"},
    {"Raleigh", "NC"},     {"Richmond", "VA"},    {"Riverside", "CA"},      {"Rochester", "NY"},
    {"Sacramento", "CA"},  {"Savannah", "GA"},    {"Shreveport", "LA"},     {"Spokane", "WA"},
    {"Springfield", "MO"}, {"Stockton", "CA"},    {"Syracuse", "NY"},       {"Tacoma", "WA"},
    {"Tallahassee", "FL"}, {"Tampa", "FL"},       {"Toledo", "OH"},         {"Tulsa", "OK"},
    {"Tyler", "TX"},       {"Waco", "TX"},        {"Wichita", "KS"},        {"Youngstown", "OH"},
};

const std::vector<std::string> regions = {
    "Alabama",        "Arizona",     "Carolina",   "Central Plains", "Delta",    "Eastern Shore",
    "Florida",        "Georgia",     "Gulf Coast", "High Plains",    "Iowa",     "Kansas",
    "Lakeshore",      "Louisiana",   "Michigan",   "Mid-Valley",     "Missouri", "Nebraska",
    "Northern Pines", "Ohio Valley", "Oregon",     "Piedmont",       "Prairie",  "Red River",
    "Southern Hills", "Tennessee",   "Texas",      "Tidewater",      "Upstate",  "Utah",
    "Western Range",  "Wisconsin",
};

const std::vector<std::string> nicknames = {
    "Tank", "Flash", "Moose",  "Ice",  "Rocket", "Hammer", "Bear",    "Sarge",  "Doc",    "Slim",
    "Red",  "Tex",   "Duke",   "Ace",  "Bull",   "Chief",  "Scooter", "Smokey", "Truck",  "Wheels",
    "Boom", "Jet",   "Spider", "Hoss", "Bubba",  "Zip",    "Stretch", "Buzz",   "Cannon", "Mighty Mite",
};

std::string lower(std::string text) {
    for (auto& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

} // namespace

std::string NameGenerator::surname() {
    std::string name = random_.pick(onsets);
    if (random_.chance(0.35)) {
        name += random_.pick(middles);
    }
    name += random_.pick(endings);
    for (std::size_t i = 2; i < name.size(); ++i) {
        if (name[i] == name[i - 1] && name[i] == name[i - 2]) {
            name.erase(i, 1); // "Goldettter" reads badly
            --i;
        }
    }
    const double form = random_.uniform();
    if (form < 0.04) {
        return "Mc" + name;
    }
    if (form < 0.07) {
        return "O'" + name;
    }
    if (form < 0.09) {
        std::string second = random_.pick(onsets) + random_.pick(endings);
        return name + "-" + second;
    }
    if (form < 0.11) {
        return "De" + lower(name);
    }
    return name;
}

PersonName NameGenerator::person() {
    PersonName name;
    name.first = random_.pick(firstNames);
    name.last = surname();
    name.full = name.first + " " + name.last;
    const double suffix = random_.uniform();
    if (suffix < 0.03) {
        name.full += " Jr.";
    } else if (suffix < 0.036) {
        name.full += " III";
    }
    return name;
}

Place NameGenerator::birthPlace() {
    return random_.pick(places);
}

std::string NameGenerator::college() {
    const std::string& region = random_.pick(regions);
    switch (random_.between(0, 5)) {
    case 0:
        return region + " State";
    case 1:
        return "University of " + region;
    case 2:
        return region + " Tech";
    case 3:
        return "Central " + region;
    case 4:
        return random_.pick(onsets) + random_.pick(endings) + " College";
    default:
        return region + " A&M";
    }
}

std::string NameGenerator::highSchool(const Place& place) {
    if (random_.chance(0.5)) {
        return place.city + (random_.chance(0.5) ? " Central" : " North") + " High School";
    }
    return random_.pick(onsets) + random_.pick(endings) + " High School";
}

std::string NameGenerator::nickname() {
    const double roll = random_.uniform();
    if (roll < 0.01) {
        return random_.pick(nicknames) + ", " + random_.pick(nicknames);
    }
    if (roll < 0.08) {
        return random_.pick(nicknames);
    }
    return {};
}

} // namespace huddlepod::backend
